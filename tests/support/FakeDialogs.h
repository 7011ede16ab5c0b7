#pragma once
// A Dialogs that never blocks: it records every message and file dialog and
// answers from a script (answers queued in advance; Ok / Cancel otherwise).

#include <QString>
#include <deque>
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

private:
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
