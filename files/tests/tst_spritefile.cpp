#include "code/spritecode.h"
#include "editor/codebox.h"
#include "editor/mainwindow.h"
#include "files/spritefile.h"
#include "platform/scriptedplatform.h"
#include "tests/support/testfiles.h"

#include <QLabel>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace quillox;

class SpriteFileTest : public QObject
{
    Q_OBJECT

    auto state() const
    {
        return std::make_tuple(window->document().grid().colours(), window->codeText(),
                               window->document().text2(),
                               window->findChild<QLabel*>(QStringLiteral("Label1"))->text());
    }
    void run(void (MainWindow::*command)(), const std::optional<QString>& answer)
    {
        platform->fileAnswers.push_back(answer);
        (window.get()->*command)();
    }
    QStringList files() const
    {
        return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QString path(const char* name) const { return dir->filePath(QString::fromUtf8(name)); }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        platform = std::make_unique<ScriptedPlatform>();
        window = std::make_unique<MainWindow>(*platform);
        for (int index = 1; index <= SpriteGrid::CellCount; index += 7)
            window->document().clickCell(index);
    }

    void writer()
    {
        // Hidden cells are not written; any colour but white is written as 1.
        SpriteGrid grid;
        grid.setColumnPosition(16 - 9);
        grid.setRowPosition(16 - 10);
        grid.updateShownFlags();
        for (int index = 1; index <= SpriteGrid::CellCount; ++index)
            grid.setColour(index, grid.isShown(index) ? White : Black);
        grid.setColour(225, 0xFEFEFE);
        QCOMPARE(spriteFileBytes(spriteFileText(grid)), "1009" + std::string(89, '0') + "1\r\n");
    }

    void sizeField_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("size");
        for (int size = 1; size <= 15; ++size)
            QTest::addRow("%02d", size) << QByteArray::number(size).rightJustified(2, '0') << size;
        for (const char* bad : {" 1", "1 ", "1", "00", "16", "99", "ab", "", "+1", "-1", "0x"})
            QTest::addRow("'%s'", bad) << QByteArray(bad) << 0;
    }

    void sizeField()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, size);
        QCOMPARE(spriteSizeField(field.toStdString(), 0), size);
        QCOMPARE(spriteSizeField(("xx" + field).toStdString(), 2), size);
    }

    void saveAndOpenShareTheDialog()
    {
        window->document().NewSprite();
        window->document().setColumnSliderPosition(13);
        window->document().setRowSliderPosition(14);
        for (int index : {208, 210, 224, 1, 100})
            window->document().clickCell(index);
        // Any Unicode name.
        const QString example = path("example-\u00ff\u20ac\u4e2d\U0001F600.spr");
        run(&MainWindow::saveSprite, example);
        QCOMPARE(contents(example), QByteArray("0203101010\r\n"));
        run(&MainWindow::openSprite, example);
        const FileDialogRequest& open = platform->openRequests[0];
        QCOMPARE(QStringList({open.title, open.fileName, open.filter}),
                 QStringList({"Open Sprite", example, "Quillox (*.spr)|*.spr"}));
        run(&MainWindow::saveSprite, path("other.spr"));
        QCOMPARE(platform->saveRequests[1].fileName, example);
    }

    // Opened by the dialog, then by name: a file that is no sprite file still
    // loads as described, then says which size field was not applied.
    void open_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("code");    // none: the cells are kept
        QTest::addColumn<QString>("message"); // after the file's name; none: no message
        const auto row = [](const char* tag, const QByteArray& file, const char* label,
                            const char* code, const char* message = nullptr) {
            QTest::newRow(tag) << file << label << (code ? QString(code) : QString())
                               << (message ? QString(message) : QString());
        };
        row("worked example", "0203101010\r\n", "2 x 3", "\t.db\t%101\r\n\t.db\t%010");
        row("CR LF and past the end are black", "0203\r\n", "2 x 3", "\t.db\t%111\r\n\t.db\t%111");
        row("any other character is black", "01040a 2", "1 x 4", "\t.db\t%0111");
        row("1 x 1", "0101", "1 x 1", "\t.db\t%1");
        row("bad height, width applied", "xx03", "8 x 3", nullptr,
            "its height field \"xx\" is not 01 to 15; only the width was applied");
        row("bad width, height applied", "0216\r\n", "2 x 8", nullptr,
            "its width field \"16\" is not 01 to 15; only the height was applied");
        row("bad sizes, nothing applied", "hello", "8 x 8", nullptr,
            "its height field \"he\" and width field \"ll\" are not 01 to 15; neither size nor "
            "any cell was applied");
        // An empty file empties the buffer and changes no size and no cell.
        row("empty", "", "8 x 8", nullptr,
            "its height field \"\" and width field \"\" are not 01 to 15; neither size nor any "
            "cell was applied");
    }

    void open()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, label);
        QFETCH(QString, code);
        QFETCH(QString, message);
        const auto before = window->document().grid().colours();
        const QString input = writeFile(path("input.spr"), file);
        run(&MainWindow::openSprite, input);
        window->openFile(input);
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(), label);
        QCOMPARE(window->document().text2(), file.toStdString());
        QCOMPARE(window->codeText(),
                 code.isNull() ? QString::fromStdString(spriteCode(window->document().grid()))
                               : code);
        QVERIFY(!code.isNull() || window->document().grid().colours() == before);
        QCOMPARE(platform->messages.size(), message.isNull() ? 0 : 2);
        for (const auto& shown : platform->messages)
            QCOMPARE(shown.text, input + ": " + message);
    }

    void hugeFileIsReadBounded()
    {
        writeFile(path("huge.spr"), "0203101010\r\n");
        QVERIFY(QFile::resize(path("huge.spr"), qint64(3) << 30));
        run(&MainWindow::openSprite, path("huge.spr"));
        QCOMPARE(window->document().text2().size(), MaxSpriteFileRead);
    }

    void cancelDoesNothing()
    {
        auto* box = window->findChild<CodeBox*>(QStringLiteral("source"));
        const auto before = std::make_tuple(state(), box->backgroundColour());
        for (auto command :
             {&MainWindow::openSprite, &MainWindow::saveCodeFile, &MainWindow::SetCodeBackColor})
            run(command, std::nullopt);
        QVERIFY(std::make_tuple(state(), box->backgroundColour()) == before);
        // The sprite save builds its buffer before it asks for the name.
        run(&MainWindow::saveSprite, std::nullopt);
        QCOMPARE(window->codeText(), std::get<1>(std::get<0>(before)));
        QCOMPARE(files(), QStringList());
        QCOMPARE(platform->messages.size(), 0);
    }

    void failuresAreReportedAndChangeNothing()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no file size limit to stand for a full disk, nor named pipes");
#else
        // The save fails while its last bytes are flushed, before the temporary would replace
        // the file; the pipe, opened blocking, would wait for a writer forever.
        writeFile(path("kept.spr"), "01011\r\n");
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.spr")).constData(), 0600), 0);
        underFileSizeLimit(8, [this] { return run(&MainWindow::saveSprite, path("kept.spr")), 0; });
        const auto before = state();
        run(&MainWindow::openSprite, path("pipe.spr"));
        QVERIFY(state() == before);
        QCOMPARE(files(), QStringList({"kept.spr", "pipe.spr"}));
        QCOMPARE(contents(path("kept.spr")), QByteArray("01011\r\n"));
        QCOMPARE(platform->messages.size(), 2);
        QCOMPARE(platform->messages[0].text,
                 QStringLiteral("The sprite could not be saved as \"%1\":\nFile too large")
                     .arg(path("kept.spr")));
        QCOMPARE(platform->messages[1].text,
                 QStringLiteral("The sprite file \"%1\" could not be opened:\nNot a regular file")
                     .arg(path("pipe.spr")));
        QCOMPARE(platform->messages[1].title, QStringLiteral("Quillox"));
#endif
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(SpriteFileTest)
#include "tst_spritefile.moc"
