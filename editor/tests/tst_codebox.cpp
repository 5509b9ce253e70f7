#include "editor/codebox.h"

#include <QApplication>
#include <QTextBlock>
#include <QtTest>

using namespace quillox;

// Run at several screen scales (see CMakeLists.txt): the longest code must
// show whole in the box's fixed size whatever the desktop's font.
class CodeBoxTest : public QObject
{
    Q_OBJECT
private slots:
    void longestCodeShowsWhole_data()
    {
        QTest::addColumn<qreal>("applicationPoints");
        for (qreal points : {6.0, 9.0, 10.0, 12.0, 20.0})
            QTest::addRow("%g pt", points) << points;
    }

    void longestCodeShowsWhole()
    {
        QFETCH(qreal, applicationPoints);
        QFont font = QApplication::font();
        font.setPointSizeF(applicationPoints);
        QApplication::setFont(font);
        CodeBox box;
        box.resize(3135 / 15, 3135 / 15);
        const QString row =
            QStringLiteral("\t.db\t%") + QString(CodeBox::MaxDigits, QLatin1Char('1'));
        box.setCodeText(QStringList(CodeBox::MaxRows, row).join(QStringLiteral("\r\n")));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.document()->blockCount(), CodeBox::MaxRows);
        for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
            QCOMPARE(block.layout()->lineCount(), 1);
            QTextCursor end(block);
            end.movePosition(QTextCursor::EndOfBlock);
            QVERIFY2(box.viewport()->rect().contains(box.cursorRect(end)),
                     qPrintable(QStringLiteral("row %1 is cut").arg(block.blockNumber() + 1)));
        }
        QVERIFY(QFontInfo(box.font()).fixedPitch());
    }
};

QTEST_MAIN(CodeBoxTest)
#include "tst_codebox.moc"
