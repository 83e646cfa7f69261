#pragma once

// Acts in modal windows the way a person does: each step waits until a
// modal window of its name is up, then runs once. Steps run from a fresh
// turn of the event loop, so a step may itself open further modal windows.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

class ModalScript final
{
public:
    using Step = std::function<void(QWidget *window)>;

    ModalScript()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }
    // Adds a step for the next modal window named `objectName`.
    ModalScript &then(const QString &objectName, Step step)
    {
        m_steps.append({objectName, std::move(step)});
        return *this;
    }
    // Drops the steps that have not run.
    void clear() { m_steps.clear(); }
    bool finished() const { return m_steps.isEmpty() && m_running == 0; }
    qsizetype pending() const { return m_steps.size(); }

private:
    void poll()
    {
        QWidget *window = QApplication::activeModalWidget();
        if (m_steps.isEmpty() || !window || !window->isVisible() || window->objectName() != m_steps.constFirst().first)
            return;
        Step step = m_steps.takeFirst().second;
        ++m_running;
        QTimer::singleShot(0, window, [this, step, window] {
            step(window);
            --m_running;
        });
    }

    QTimer m_timer;
    QList<std::pair<QString, Step>> m_steps;
    int m_running = 0;
};
