#pragma once
// A scripted Prompter for tests: it records every message and dialog the code
// asks for and answers from queues the test fills beforehand, so no modal
// window ever blocks. Install it for the lifetime of a test with
// FakePrompter::Scope.

#include <QString>
#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "listcaster/Prompter.h"

// Readable QString values in test failure output.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace listcaster::test {

class FakePrompter : public Prompter {
public:
    struct Message {
        MessageIcon icon;
        QString caption;
        QString text;
        MessageButtons buttons;
    };
    struct SaveRequest {
        QString title, filter, defaultExt, preset;
        bool overwritePrompt;
    };

    // Recorded calls, in order.
    std::vector<Message> messages;
    std::vector<SaveRequest> saveRequests;
    std::vector<QString> opened;
    std::vector<FontSpec> fontRequests;
    int printSetups = 0;
    int beeps = 0;

    // Scripted answers. An empty queue answers: the first button of the box
    // (Ok, or Yes), a cancelled save dialog, a cancelled font dialog, a
    // cancelled print setup.
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<FontSpec>> fontAnswers;
    std::deque<bool> printSetupAnswers;
    bool openSucceeds = true;

    Answer message(QWidget*, MessageIcon icon, const QString& caption, const QString& text,
                   MessageButtons buttons = MessageButtons::Ok) override {
        messages.push_back({icon, caption, text, buttons});
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
            case MessageButtons::YesNo:
            case MessageButtons::YesNoCancel:
                return Answer::Yes;
            case MessageButtons::RetryCancel:
                return Answer::Retry;
            default:
                return Answer::Ok;
        }
    }

    std::optional<QString> saveFileName(QWidget*, const QString& title, const QString& filter,
                                        const QString& defaultExt, const QString& preset,
                                        bool overwritePrompt = true) override {
        saveRequests.push_back({title, filter, defaultExt, preset, overwritePrompt});
        return takeFront(saveAnswers);
    }

    bool openWithDefaultProgram(QWidget*, const QString& path) override {
        opened.push_back(path);
        return openSucceeds;
    }

    std::optional<FontSpec> chooseFont(QWidget*, const FontSpec& initial) override {
        fontRequests.push_back(initial);
        return takeFront(fontAnswers);
    }

    bool printSetup(QWidget*, QPrinter*) override {
        ++printSetups;
        if (printSetupAnswers.empty()) return false;
        const bool a = printSetupAnswers.front();
        printSetupAnswers.pop_front();
        return a;
    }

    void beep() override { ++beeps; }

    // Progress bars opened (caption, maximum, furthest value); a value at or
    // beyond cancelAt is answered with Cancel.
    struct ProgressShown {
        QString caption;
        int maximum = 0;
        int furthest = 0;
    };
    std::vector<ProgressShown> progresses;
    std::optional<int> cancelAt;

    std::unique_ptr<Progress> progress(QWidget*, const QString& caption, const QString&,
                                       int maximum) override {
        progresses.push_back({caption, maximum, 0});
        return std::make_unique<Recorder>(*this, progresses.size() - 1);
    }

private:
    class Recorder : public Progress {
    public:
        Recorder(FakePrompter& p, std::size_t i) : p_(p), i_(i) {}
        bool advance(int value) override {
            p_.progresses[i_].furthest = std::max(p_.progresses[i_].furthest, value);
            return !(p_.cancelAt && value >= *p_.cancelAt);
        }

    private:
        FakePrompter& p_;
        std::size_t i_;
    };

    template <typename T>
    static std::optional<T> takeFront(std::deque<std::optional<T>>& queue) {
        std::optional<T> a;
        if (!queue.empty()) {
            a.swap(queue.front());
            queue.pop_front();
        }
        return a;
    }

public:
    // Installs a fake for the enclosing scope and restores the previous
    // prompter on exit.
    class Scope {
    public:
        explicit Scope(FakePrompter& fake) : previous_(setPrompter(&fake)) {}
        ~Scope() { setPrompter(previous_); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Prompter* previous_;
    };
};

}  // namespace listcaster::test
