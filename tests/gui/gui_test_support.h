// Input helpers and look-ups shared by the window tests.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "editor/qt/gps_qconfig_dlg.h"

// Types text as key presses; unlike QTest::keyClicks it also types letters
// outside Latin-1 (Cyrillic), as a keyboard with that layout would.
inline void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Clicks a check box or radio button on its indicator, where a user clicks
// (the middle of a wide button may lie past its caption).
inline void clickButton(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

// The tab that holds each page, in tab order.
inline int tabOf(PageId page) {
    return static_cast<int>(page) - 1;
}

// A window on screen and active, as a user would have it.
inline bool showActive(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Runs `answer` on the next popup or modal window to appear, from the event
// loop (menus and dialogs block the caller while open). The timer belongs to
// `owner` and goes with it.
template <typename Answer>
void whenOpened(QObject* owner, Answer answer) {
    auto* timer = new QTimer(owner);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        QWidget* w = QApplication::activePopupWidget();
        if (!w) w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        answer(w);
    });
    timer->start();
}

// Answers the window's next question with its button "yes", "no" or
// "cancel", as a user clicks it; `asked` gets the question's text.
inline void answerQuestion(QObject* owner, const QString& button, QString* asked = nullptr) {
    whenOpened(owner, [button, asked](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY2(box, "no question asked");
        if (asked) *asked = box->text();
        auto* b = box->findChild<QPushButton*>(button);
        QVERIFY2(b, qPrintable(button));
        QTest::mouseClick(b, Qt::LeftButton);
    });
}

// Widgets of a window's page, found by id, with the page brought to front.
struct PageAccess {
    CGPS_QConfigDlg& window;
    PageId page;

    template <typename T = QWidget>
    T* get(int id) const {
        if (page != PageId::Window) window.tabs()->setCurrentIndex(tabOf(page));
        return qobject_cast<T*>(window.controls().widget(page, id));
    }
    QLineEdit* edit(int id) const { return get<QLineEdit>(id); }
    QString text(int id) const { return QString::fromStdString(window.controls().text(page, id)); }
    bool checked(int id) const { return window.controls().checked(page, id); }
    bool enabled(int id) const { return window.controls().enabled(page, id); }

    // Focus in the edit, select all, type: what a user does to replace a value.
    void replace(int id, const QString& typed) const {
        QLineEdit* e = edit(id);
        e->setFocus();
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        if (typed.isEmpty())
            QTest::keyClick(e, Qt::Key_Backspace);
        else
            typeText(e, typed);
    }
    void click(int id) const { clickButton(get(id)); }
};
