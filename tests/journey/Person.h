#pragma once

// A person at the X server: moves the pointer, clicks and types through the
// server's XTEST extension, so every event takes the path a real one takes
// (grabs, focus, pop-ups, the window manager if there is one). The person
// works on a thread of its own while the program's event loop runs, and asks
// the program's widgets what they show through the GUI thread.
#include <QApplication>
#include <QImage>
#include <QMetaObject>
#include <QPoint>
#include <QThread>
#include <QWidget>

#include <functional>
#include <vector>

struct xcb_connection_t;

// Runs `f` on the GUI thread and answers its result.
template <typename F> auto onGui(F f)
{
    decltype(f()) result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
}

// Asks `done` on the GUI thread until it holds or `timeoutMs` passes.
bool until(const std::function<bool()> &done, int timeoutMs = 10000);

// Asks `done` on the person's own thread until it holds or `timeoutMs` passes.
bool eventually(const std::function<bool()> &done, int timeoutMs = 10000);

class Person final
{
public:
    Person();
    ~Person();
    Person(const Person &) = delete;
    Person &operator=(const Person &) = delete;

    // Where a point of `widget` is on the screen as the X server places its
    // window: what a person aims at. The centre when no point is given.
    QPoint placeOf(QWidget *widget, QPoint inWidget = {-1, -1}) const;

    // Whether `upper`'s window is stacked above `lower`'s on the screen,
    // through whatever frames a window manager put around them.
    bool isAbove(QWidget *upper, QWidget *lower) const;

    // Whether the screen shows nothing drawn where `widget` is: every pixel
    // of its area alike, as an unpainted window is.
    bool looksBlank(QWidget *widget) const;
    // What the screen shows where `widget` is; a null image when the
    // server answers nothing.
    QImage shot(QWidget *widget) const;

    void moveTo(QPoint screen);
    void click(QPoint screen, int button = 1);
    void doubleClick(QPoint screen);
    void clickOn(QWidget *widget, int button = 1) { click(placeOf(widget), button); }

    // Types printable ASCII text as key presses, with Shift where the
    // keyboard needs it.
    void type(const QString &text);
    // Presses and releases one key (an X keysym), with Control if asked.
    void press(unsigned keysym, bool control = false);

    static constexpr unsigned kReturn = 0xff0d;
    static constexpr unsigned kEscape = 0xff1b;
    static constexpr unsigned kBackSpace = 0xff08;
    static constexpr unsigned kF11 = 0xffc8;
    static constexpr unsigned kUp = 0xff52;
    static constexpr unsigned kDown = 0xff54;
    static constexpr unsigned kSelectAll = 'a'; // with control

private:
    void fake(int type, int detail, QPoint at = {});
    // The child of the root window that holds `window`.
    unsigned topOf(unsigned window) const;
    // The key that makes `keysym`, and whether Shift is needed for it.
    bool keyFor(unsigned keysym, int *keycode, bool *shift) const;

    xcb_connection_t *m_x = nullptr;
    unsigned m_root = 0;
    int m_minKeycode = 0;
    int m_perKeycode = 0;
    std::vector<unsigned> m_keysyms;
};
