#pragma once
// A Dialogs that never blocks: it records every message and file dialog and
// answers from a script (answers queued in advance; Ok / Cancel otherwise).

#include <QString>
#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Dialogs.h"

namespace fd::test {

struct ShownMessage {
    QString text;
    QString title;
    MsgButtons buttons;
    MsgIcon icon;
};

class FakeDialogs : public Dialogs {
public:
    MsgAnswer message(QWidget*, const QString& text, const QString& title, MsgButtons buttons,
                      MsgIcon icon) override {
        messages.push_back({text, title, buttons, icon});
        if (!answers.empty()) {
            const MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
    }
    std::optional<QString> openFile(QWidget*, const FileDialogRequest& r) override {
        fileRequests.push_back(r);
        return nextFile();
    }
    std::optional<QString> saveFile(QWidget*, const FileDialogRequest& r) override {
        fileRequests.push_back(r);
        return nextFile();
    }
    // Records each progress and its furthest value; cancels once a value
    // reaches cancelProgressAt (when that is set).
    std::unique_ptr<Progress> progress(QWidget*, const QString& text, qint64 maximum) override {
        progresses.push_back({text, maximum, 0});
        return std::make_unique<Recorder>(*this, progresses.size() - 1);
    }

    // Each password question takes the next entry; nullopt (or none left)
    // = cancel.
    std::optional<QString> password(QWidget*, const QString&, const QString& label) override {
        passwordQuestions.push_back(label);
        if (passwords.empty()) return std::nullopt;
        auto p = passwords.front();
        passwords.pop_front();
        return p;
    }
    std::deque<std::optional<QString>> passwords;
    std::vector<QString> passwordQuestions;

    // Texts of all messages shown, in order.
    std::vector<QString> texts() const {
        std::vector<QString> t;
        for (const auto& m : messages) t.push_back(m.text);
        return t;
    }
    QString lastText() const { return messages.empty() ? QString() : messages.back().text; }

    std::vector<ShownMessage> messages;
    std::deque<MsgAnswer> answers;
    // Each file dialog takes the next entry; nullopt (or none left) = cancel.
    std::deque<std::optional<QString>> files;
    std::vector<FileDialogRequest> fileRequests;

    struct ShownProgress {
        QString text;
        qint64 maximum = 0;
        qint64 furthest = 0;
    };
    std::vector<ShownProgress> progresses;
    std::optional<qint64> cancelProgressAt;

private:
    class Recorder : public Progress {
    public:
        Recorder(FakeDialogs& d, std::size_t i) : d_(d), i_(i) {}
        bool advance(qint64 value) override {
            auto& p = d_.progresses[i_];
            p.furthest = std::max(p.furthest, value);
            return !(d_.cancelProgressAt && value >= *d_.cancelProgressAt);
        }

    private:
        FakeDialogs& d_;
        std::size_t i_;
    };

    std::optional<QString> nextFile() {
        if (files.empty()) return std::nullopt;
        const bool chosen = files.front().has_value();
        const QString path = chosen ? *files.front() : QString();
        files.pop_front();
        if (!chosen) return std::nullopt;
        return path;
    }
};

}  // namespace fd::test
