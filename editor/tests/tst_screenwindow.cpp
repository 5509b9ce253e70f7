// The calculator screen window through the scripted seam: shown from the
// grid's menu and F5, following every change of the sprite, moved by keys
// and the mouse, zoomed, saved, copied and given a background.
#include "editor/gridview.h"
#include "editor/mainwindow.h"
#include "editor/screenwindow.h"
#include "files/calculatorfile.h"
#include "platform/scriptedplatform.h"
#include "tests/support/spritepatterns.h"
#include "tests/support/testfiles.h"

#include <QtTest>
#include <QtWidgets>

using namespace quillox;

class ScreenWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        platform_ = std::make_unique<ScriptedPlatform>();
        window_ = std::make_unique<MainWindow>(*platform_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_F5);
        QVERIFY(screen());
        QVERIFY(screen()->isVisible());
        QApplication::setActiveWindow(screen());
        QVERIFY(QTest::qWaitForWindowActive(screen()));
    }
    void cleanup() { window_.reset(); }

    void oneWindowShownAndHidden()
    {
        ScreenWindow* first = screen();
        QCOMPARE(first->windowTitle(), QStringLiteral("Calculator Screen"));
        QVERIFY(!first->isModal());
        // Centred: an 8 x 8 sprite at x 44, y 28.
        QCOMPARE(first->position(), QPoint(44, 28));
        QCOMPARE(label("positionLabel"), QStringLiteral("x 44, y 28"));
        QTest::keyClick(view(), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(view(), Qt::Key_Up);
        QCOMPARE(first->position(), QPoint(52, 27));
        QSignalSpy ending(window_.get(), &MainWindow::programEnding);
        QTest::keyClick(first, Qt::Key_Escape);
        QVERIFY(!first->isVisible());
        first->show();
        first->close();
        QVERIFY(!first->isVisible());
        QCOMPARE(ending.count(), 0);
        // The menu's item shows the same window, as it was left.
        window_->findChild<QAction*>(QStringLiteral("calculatorScreen"))->trigger();
        QCOMPARE(screen(), first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->position(), QPoint(52, 27));
        QCOMPARE(window_->findChildren<ScreenWindow*>().size(), 1);
    }

    void followsEveryChangeOfTheSprite()
    {
        const QImage before = screen()->shownImage();
        QCOMPARE(screen()->screen().level(44, 28), 0);
        // A click on the grid's top-left shown cell: at once on the screen.
        auto* grid = window_->findChild<GridView*>(QStringLiteral("Shape1"));
        QTest::mouseClick(grid, Qt::LeftButton, {},
                          GridView::cellRect(SpriteGrid::indexOf(8, 8)).center());
        QCOMPARE(screen()->screen().level(44, 28), 3);
        QVERIFY(screen()->shownImage() != before);
        // LCD black at zoom 4: the screen pixel's square.
        QCOMPARE(screen()->shownImage().pixel(44 * 4 + 1, 28 * 4 + 1), qRgb(0, 0, 0));
        QCOMPARE(screen()->shownImage().pixel(0, 0), qRgb(158, 171, 136));
        window_->document().undo();
        QCOMPARE(screen()->screen().level(44, 28), 0);
        // A new size keeps the place while it is allowed.
        window_->document().takeSprite(inkedPixelsOf({"DL", "TB"}));
        QCOMPARE(screen()->position(), QPoint(44, 28));
        QCOMPARE(screen()->screen().level(44, 28), 2);
        QCOMPARE(screen()->screen().level(45, 28), 1);
        QCOMPARE(screen()->screen().level(45, 29), 3);
    }

    // The arrow keys and the mouse move the sprite within what the edge
    // rule allows; turning clipping off moves it to the nearest place.
    void movesWithinTheEdges()
    {
        for (int i = 0; i < 20; ++i)
            QTest::keyClick(view(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(screen()->position(), QPoint(-7, 28));
        clip()->setChecked(false);
        QCOMPARE(screen()->position(), QPoint(0, 28));
        for (int i = 0; i < 20; ++i)
            QTest::keyClick(view(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(screen()->position(), QPoint(0, 63));
        // Unclipped at the bottom: the rows past the buffer's end are counted.
        QCOMPARE(screen()->bytesPastEnd(), 7);
        QCOMPARE(label("pastEndLabel"),
                 QStringLiteral("7 bytes past the end of the screen buffer"));
        // A drag by its grip: from the sprite's corner to (20, 10).
        screen()->setPosition({40, 20});
        QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(41 * 4 + 2, 21 * 4 + 2));
        QTest::mouseMove(view(), QPoint(21 * 4 + 2, 11 * 4 + 2));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(21 * 4 + 2, 11 * 4 + 2));
        QCOMPARE(screen()->position(), QPoint(20, 10));
    }

    void zoomsFromOneToEight()
    {
        QCOMPARE(screen()->zoom(), 4);
        QCOMPARE(view()->size(), QSize(384, 256));
        QTest::keyClick(screen(), Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(screen()->zoom(), 5);
        for (int i = 0; i < 9; ++i)
            QTest::keyClick(screen(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(screen()->zoom(), 1);
        QCOMPARE(view()->size(), QSize(96, 64));
        screen()->setZoom(12);
        QCOMPARE(screen()->zoom(), 8);
        QCOMPARE(screen()->shownImage().size(), QSize(768, 512));
        // Within the window, no two choices share an access key.
        QStringList keys;
        for (QLabel* l : screen()->findChildren<QLabel*>())
            if (l->buddy() && l->text().contains('&'))
                keys << l->text().section('&', 1).left(1).toLower();
        for (QAbstractButton* b : screen()->findChildren<QAbstractButton*>())
            keys << b->text().section('&', 1).left(1).toLower();
        QCOMPARE(keys.size(), 9);
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
    }

    // Flicker's timer runs only while the window is shown with Flicker.
    void flickerRunsOnlyWhileShown()
    {
        auto* timer = screen()->findChild<QTimer*>(QStringLiteral("flickerTimer"));
        QVERIFY(timer);
        QVERIFY(!timer->isActive());
        combo("grey")->setCurrentIndex(1);
        QVERIFY(timer->isActive());
        screen()->hide();
        QVERIFY(!timer->isActive());
        screen()->show();
        QVERIFY(timer->isActive());
        combo("grey")->setCurrentIndex(0);
        QVERIFY(!timer->isActive());
    }

    // Save Screen As: a PNG in black and white colours, or a Pic, which
    // holds black and white only in the top 63 rows; the Pic opened again as
    // the background gives the same screen.
    void savesCopiesAndTakesBackgrounds()
    {
        QTemporaryDir dir;
        window_->document().takeSprite(inkedPixelsOf({"BD", ".B"}));
        const auto save = [&](const QString& name) {
            platform_->fileAnswers.push_back(dir.filePath(name));
            screen()->findChild<QPushButton*>(QStringLiteral("saveScreen"))->click();
        };
        save("grey.8xi");
        QVERIFY(!QFile::exists(dir.filePath("grey.8xi")));
        QVERIFY(platform_->messages.value(0).text.contains("grey pixels"));
        window_->document().takeSprite(inkedPixelsOf({"BB", ".B"}));
        combo("background")->setCurrentIndex(1); // tiles, to the last row
        save("tiles.8xi");
        QVERIFY(platform_->messages.value(1).text.contains("row 64"));
        combo("background")->setCurrentIndex(0);
        save("Pic7.8xi");
        std::string reason;
        const std::optional<SpritePixels> pic =
            readPicFile(contents(dir.filePath("Pic7.8xi")).toStdString(), reason);
        QVERIFY2(pic, reason.c_str());
        QCOMPARE(contents(dir.filePath("Pic7.8xi")).mid(0x3C, 2), QByteArray("\x60\x06", 2));
        save("screen.png");
        const QImage png(dir.filePath("screen.png"));
        QCOMPARE(png.size(), QSize(96, 64));
        // The sprite keeps the place of the 8 x 8 one before it.
        QCOMPARE(png.pixel(44, 28), qRgb(0, 0, 0));
        QCOMPARE(png.pixel(44, 29), qRgb(0xFF, 0xFF, 0xFF));

        const CalculatorScreen shown = screen()->screen();
        window_->document().NewSprite();
        platform_->fileAnswers.push_back(dir.filePath("Pic7.8xi"));
        screen()->findChild<QPushButton*>(QStringLiteral("openBackground"))->click();
        QCOMPARE(combo("background")->currentIndex(), 2);
        window_->document().ClearSprite();
        for (int y = 0; y < CalculatorScreen::Height; ++y)
            for (int x = 0; x < CalculatorScreen::Width; ++x)
                QCOMPARE(screen()->screen().level(x, y), shown.level(x, y));

        // A picture larger than the screen is refused, naming its size.
        QImage large(97, 64, QImage::Format_RGB32);
        large.fill(Qt::white);
        large.save(dir.filePath("large.png"));
        platform_->fileAnswers.push_back(dir.filePath("large.png"));
        screen()->findChild<QPushButton*>(QStringLiteral("openBackground"))->click();
        QVERIFY(platform_->messages.last().text.contains("97 x 64"));

        screen()->findChild<QPushButton*>(QStringLiteral("copyScreen"))->click();
        QCOMPARE(platform_->clipboardImages.size(), 1);
        QCOMPARE(platform_->clipboardImages[0].size(), QSize(384, 256));
    }

    // Copy Screen in Flicker takes the Blend colours; Open Background has a
    // dialog of its own and takes pictures only; the window goes with the
    // program.
    void copiesBackgroundsAndEndsWithTheProgram()
    {
        window_->document().takeSprite(inkedPixelsOf({"DL"}));
        combo("grey")->setCurrentIndex(1);
        screen()->findChild<QPushButton*>(QStringLiteral("copyScreen"))->click();
        const QImage copied = platform_->clipboardImages.value(0);
        QCOMPARE(copied.pixel(44 * 4 + 1, 28 * 4 + 1), qRgb(52, 57, 45));
        QCOMPARE(copied.pixel(45 * 4 + 1, 28 * 4 + 1), qRgb(105, 114, 90));

        QTemporaryDir dir;
        const QString sprite = writeFile(dir.filePath("ship.spr"), "0101"
                                                                   "1");
        platform_->fileAnswers.push_back(sprite);
        screen()->findChild<QPushButton*>(QStringLiteral("openBackground"))->click();
        QVERIFY(platform_->messages.value(0).text.contains("it is no picture"));
        QCOMPARE(platform_->openRequests.value(0).title, QStringLiteral("Open Background"));
        QCOMPARE(window_->commonDialog1().fileName, QString());
        QCOMPARE(combo("background")->count(), 2);

        QPointer<ScreenWindow> shown = screen();
        window_.reset();
        QVERIFY(shown.isNull());
    }

private:
    ScreenWindow* screen() const { return window_->screenWindow(); }
    QWidget* view() const { return screen()->findChild<QWidget*>(QStringLiteral("screenView")); }
    QCheckBox* clip() const { return screen()->findChild<QCheckBox*>(QStringLiteral("clip")); }
    QComboBox* combo(const char* name) const
    {
        return screen()->findChild<QComboBox*>(QString::fromLatin1(name));
    }
    QString label(const char* name) const
    {
        return screen()->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }

    std::unique_ptr<ScriptedPlatform> platform_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(ScreenWindowTest)
#include "tst_screenwindow.moc"
