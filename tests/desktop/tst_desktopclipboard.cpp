// The Copy button on a real X clipboard: another X client, xclip, reads what
// the program put there while the program keeps serving its event loop.
// Runs on the xcb platform under Xvfb (run-on-xvfb.sh).
#include "mainwindow.h"
#include "qtplatform.h"
#include "spritegrid.h"

#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using namespace quillox;

namespace
{

enum class Pattern { Corners, Checkerboard, Stripes, AllBlack };

bool isBlack(Pattern pattern, int row, int column, int firstRow, int firstColumn)
{
    switch (pattern) {
    case Pattern::Corners:
        return (row == firstRow || row == SpriteGrid::Side) &&
               (column == firstColumn || column == SpriteGrid::Side);
    case Pattern::Checkerboard:
        return (row + column) % 2 == 0;
    case Pattern::Stripes:
        return column % 3 == 0;
    case Pattern::AllBlack:
        return true;
    }
    return false;
}

// The code text of a pattern, built here from the cells: a "\t.db\t%" line
// of digits per row, CR LF between lines and nothing after the last.
QByteArray patternCode(Pattern pattern, int columnPosition, int rowPosition)
{
    QByteArrayList lines;
    for (int row = rowPosition; row <= SpriteGrid::Side; ++row) {
        QByteArray line = "\t.db\t%";
        for (int column = columnPosition; column <= SpriteGrid::Side; ++column)
            line += isBlack(pattern, row, column, rowPosition, columnPosition) ? '1' : '0';
        lines << line;
    }
    return lines.join("\r\n");
}

} // namespace

Q_DECLARE_METATYPE(Pattern)

class DesktopClipboardTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void copyReachesOtherClient_data();
    void copyReachesOtherClient();
    void copyTakesClipboardFromOtherOwner();

private:
    void draw(Pattern pattern, int columnPosition, int rowPosition);
    void pressCopy();
    // What another X client reads from the clipboard as `target`.
    QByteArray readClipboard(const QString& target = QStringLiteral("UTF8_STRING"));

    QString xclip;
    QtPlatform platform;
    std::unique_ptr<MainWindow> window;
};

void DesktopClipboardTest::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    QVERIFY2(!xclip.isEmpty(), "xclip is missing (Debian package xclip)");
}

void DesktopClipboardTest::init()
{
    window = std::make_unique<MainWindow>(platform);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void DesktopClipboardTest::cleanup()
{
    window.reset();
}

void DesktopClipboardTest::draw(Pattern pattern, int columnPosition, int rowPosition)
{
    window->setColumnSliderPosition(columnPosition);
    window->setRowSliderPosition(rowPosition);
    for (int row = rowPosition; row <= SpriteGrid::Side; ++row) {
        for (int column = columnPosition; column <= SpriteGrid::Side; ++column) {
            if (isBlack(pattern, row, column, rowPosition, columnPosition))
                window->clickCell(SpriteGrid::indexOf(row, column));
        }
    }
}

void DesktopClipboardTest::pressCopy()
{
    auto* copy = window->findChild<QPushButton*>(QStringLiteral("Command7"));
    QVERIFY(copy);
    QCOMPARE(copy->text(), QStringLiteral("&Copy"));
    QTest::mouseClick(copy, Qt::LeftButton);
}

QByteArray DesktopClipboardTest::readClipboard(const QString& target)
{
    QProcess reader;
    reader.start(xclip, {QStringLiteral("-o"), QStringLiteral("-selection"),
                         QStringLiteral("clipboard"), QStringLiteral("-t"), target});
    if (!reader.waitForStarted(10000))
        return "<xclip did not start>";
    // The program owns the selection and answers xclip from its event loop,
    // so the loop must keep running while xclip waits.
    if (!QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 10000))
        return "<xclip got no answer>";
    if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
        return "<xclip failed: " + reader.readAllStandardError() + ">";
    return reader.readAllStandardOutput();
}

void DesktopClipboardTest::copyReachesOtherClient_data()
{
    QTest::addColumn<Pattern>("pattern");
    QTest::addColumn<int>("columnPosition");
    QTest::addColumn<int>("rowPosition");
    QTest::addColumn<QString>("target");

    const QString utf8 = QStringLiteral("UTF8_STRING");
    QTest::newRow("8 x 8 corners") << Pattern::Corners << 8 << 8 << utf8;
    QTest::newRow("15 x 15 checkerboard") << Pattern::Checkerboard << 1 << 1 << utf8;
    QTest::newRow("1 x 1 black") << Pattern::AllBlack << 15 << 15 << utf8;
    QTest::newRow("5 wide, 12 high stripes") << Pattern::Stripes << 11 << 4 << utf8;
    QTest::newRow("as STRING") << Pattern::Corners << 8 << 8 << QStringLiteral("STRING");
    QTest::newRow("as text/plain") << Pattern::Corners << 8 << 8 << QStringLiteral("text/plain");
    QTest::newRow("as TEXT") << Pattern::Checkerboard << 3 << 6 << QStringLiteral("TEXT");
}

void DesktopClipboardTest::copyReachesOtherClient()
{
    QFETCH(Pattern, pattern);
    QFETCH(int, columnPosition);
    QFETCH(int, rowPosition);
    QFETCH(QString, target);

    draw(pattern, columnPosition, rowPosition);
    pressCopy();

    QCOMPARE(readClipboard(target), patternCode(pattern, columnPosition, rowPosition));
}

void DesktopClipboardTest::copyTakesClipboardFromOtherOwner()
{
    // xclip owns the clipboard, in the foreground, until another client
    // takes it.
    QProcess owner;
    owner.start(xclip, {QStringLiteral("-i"), QStringLiteral("-quiet"),
                        QStringLiteral("-selection"), QStringLiteral("clipboard")});
    QVERIFY(owner.waitForStarted(10000));
    owner.write("left by another program");
    owner.closeWriteChannel();
    QTRY_COMPARE_WITH_TIMEOUT(readClipboard(), QByteArray("left by another program"), 10000);

    draw(Pattern::Stripes, 8, 8);
    pressCopy();

    QVERIFY2(QTest::qWaitFor([&] { return owner.state() == QProcess::NotRunning; }, 10000),
             "the other owner kept the clipboard");
    QCOMPARE(readClipboard(), patternCode(Pattern::Stripes, 8, 8));
}

QTEST_MAIN(DesktopClipboardTest)
#include "tst_desktopclipboard.moc"
