#pragma once

#include <QWidget>
#include <QtTest>

// A control's place and size in twips (15 to a pixel), its text (a frame's title)
// and its font family; a null text or family is not checked.
struct ControlPlace {
    const char* name;
    int left, top, width, height;
    QString text = {};
    const char* family = nullptr;
};

// Checks each control of `window`, placed relative to `origin`, its parent or an ancestor.
inline void verifyPlaces(const QWidget* window, const QWidget* origin,
                         const std::vector<ControlPlace>& places)
{
    for (const ControlPlace& c : places) {
        auto* control = window->findChild<QWidget*>(QString::fromLatin1(c.name));
        QVERIFY2(control && control->isVisibleTo(window), c.name);
        QCOMPARE(QRect(control->mapTo(origin, QPoint()), control->size()),
                 QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
        const QVariant title = control->property("title");
        if (!c.text.isNull())
            QCOMPARE((title.isValid() ? title : control->property("text")).toString(), c.text);
        if (c.family)
            QCOMPARE(control->font().family(), QString::fromLatin1(c.family));
    }
}
