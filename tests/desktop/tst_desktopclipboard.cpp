// The Copy button on a real X clipboard: another X client, xclip, reads what
// the program put there while the program keeps serving its event loop.
// Runs on the xcb platform under Xvfb (run-on-xvfb.sh).
#include "mainwindow.h"
#include "qtplatform.h"

#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using namespace quillox;

class DesktopClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        xclip_ = QStandardPaths::findExecutable(QStringLiteral("xclip"));
        QVERIFY2(!xclip_.isEmpty(), "xclip is missing (Debian package xclip)");
    }

    void init()
    {
        window_ = std::make_unique<MainWindow>(platform_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void copyReachesOtherClient_data()
    {
        QTest::addColumn<int>("columnPosition");
        QTest::addColumn<int>("rowPosition");
        QTest::addColumn<QString>("target");
        QTest::newRow("8 x 8 as UTF8_STRING") << 8 << 8 << "UTF8_STRING";
        QTest::newRow("15 x 15 as STRING") << 1 << 1 << "STRING";
        QTest::newRow("1 x 1 as text/plain") << 15 << 15 << "text/plain";
        QTest::newRow("13 wide, 4 high as TEXT") << 3 << 12 << "TEXT";
    }

    void copyReachesOtherClient()
    {
        QFETCH(int, columnPosition);
        QFETCH(int, rowPosition);
        QFETCH(QString, target);
        QByteArray code;
        draw(columnPosition, rowPosition, code);
        pressCopy();
        QCOMPARE(readClipboard(target), code);
    }

    void copyTakesClipboardFromOtherOwner()
    {
        // xclip owns the clipboard, in the foreground, until another client
        // takes it.
        QProcess owner;
        owner.start(xclip_, {"-i", "-quiet", "-selection", "clipboard"});
        QVERIFY(owner.waitForStarted(10000));
        owner.write("left by another program");
        owner.closeWriteChannel();
        QTRY_COMPARE_WITH_TIMEOUT(readClipboard(), QByteArray("left by another program"), 10000);

        QByteArray code;
        draw(8, 8, code);
        pressCopy();
        QVERIFY2(QTest::qWaitFor([&] { return owner.state() == QProcess::NotRunning; }, 10000),
                 "the other owner kept the clipboard");
        QCOMPARE(readClipboard(), code);
    }

private:
    // Sets the size, blackens every third cell of the block and gives the
    // code text, CR LF line ends included.
    void draw(int columnPosition, int rowPosition, QByteArray& code)
    {
        window_->setColumnSliderPosition(columnPosition);
        window_->setRowSliderPosition(rowPosition);
        for (int index = 1; index <= SpriteGrid::CellCount; index += 3)
            window_->clickCell(index);
        code = window_->codeText().toLatin1();
        QCOMPARE(code.count("\r\n"), 15 - rowPosition);
    }

    void pressCopy()
    {
        auto* copy = window_->findChild<QPushButton*>(QStringLiteral("Command7"));
        QVERIFY(copy);
        QTest::mouseClick(copy, Qt::LeftButton);
    }

    // What another X client reads from the clipboard as `target`.
    QByteArray readClipboard(const QString& target = QStringLiteral("UTF8_STRING"))
    {
        QProcess reader;
        reader.start(xclip_, {"-o", "-selection", "clipboard", "-t", target});
        if (!reader.waitForStarted(10000))
            return "<xclip did not start>";
        // The program owns the selection and answers xclip from its event
        // loop, so the loop must keep running while xclip waits.
        if (!QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 10000))
            return "<xclip got no answer>";
        if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
            return "<xclip failed: " + reader.readAllStandardError() + ">";
        return reader.readAllStandardOutput();
    }

    QString xclip_;
    QtPlatform platform_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(DesktopClipboardTest)
#include "tst_desktopclipboard.moc"
