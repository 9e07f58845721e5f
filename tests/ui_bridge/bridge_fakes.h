// Recording stand-ins for the windows behind the bridge, and a way to let the GUI thread's
// event loop run until something has happened.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <array>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "monitor/monitor_views.h"
#include "ui/bridge/window_link.h"
#include "ui/bridge/window_prompter.h"

namespace qf::ui::test {

inline bool OnGuiThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Runs the event loop until `done` holds; false after `ms` without it.
inline bool RunUntil(const std::function<bool()>& done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Runs a nested event loop for `ms`, as a modal box does while it is open.
inline void NestedLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// What happened on the GUI side, in order; written on the GUI thread, read by the test there.
struct GuiLog {
    std::vector<std::string> entries;
    bool allOnGuiThread = true;
    void Add(std::string entry) {
        allOnGuiThread = allOnGuiThread && OnGuiThread();
        entries.push_back(std::move(entry));
    }
};

class FakeBoxes final : public MessageBoxes {
public:
    explicit FakeBoxes(GuiLog& log) : log_(log) {}
    bool answer = true;
    // Runs while the box is "open" (for example a nested loop).
    std::function<void()> whileOpen;

    void ShowMessage(QWidget*, const QString& text) override {
        log_.Add("message " + text.toStdString());
        if (whileOpen) {
            whileOpen();
        }
    }
    bool AskYesNo(QWidget*, const QString& text) override {
        log_.Add("question " + text.toStdString());
        if (whileOpen) {
            whileOpen();
        }
        return answer;
    }

private:
    GuiLog& log_;
};

class FakeMainWindow final : public MainWindowTarget {
public:
    explicit FakeMainWindow(GuiLog& log) : log_(log) {}
    std::function<int(std::uint32_t, std::uint32_t)> onMessage = [](std::uint32_t, std::uint32_t) {
        return 1;
    };

    int OnWindowMessage(std::uint32_t message, std::uint32_t tag) override {
        log_.Add("message " + Hex(message));
        return onMessage(message, tag);
    }
    void OnWindowTimer(std::uint32_t timerId) override { log_.Add("timer " + Hex(timerId)); }
    void ShowTrayIcon(int iconId) override { log_.Add("icon " + std::to_string(iconId)); }
    void HideMainWindow() override { log_.Add("hide"); }

    static std::string Hex(std::uint32_t value) {
        char text[16];
        std::snprintf(text, sizeof text, "%04X", value);
        return text;
    }

private:
    GuiLog& log_;
};

class FakeBankView final : public monitor::BankView {
public:
    explicit FakeBankView(GuiLog& log) : log_(log) {}
    void ShowBankIndicator(bool bankB) override { log_.Add(bankB ? "bank B" : "bank A"); }
    void SetGButtonLabel(std::size_t index, std::string_view text) override {
        log_.Add("G" + std::to_string(index + 1) + "=" + std::string(text));
    }

private:
    GuiLog& log_;
};

}  // namespace qf::ui::test
