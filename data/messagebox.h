// The message boxes through which every window reports to the user, with a replaceable
// presenter so that the data layer needs no window system.
#pragma once

#include <string>

// Opaque handle of the window that owns a box; only the installed presenter knows its
// type. Null means no owner.
using MessageOwner = void*;

enum MessageKind { mkError, mkInfo, mkQuestion };
enum MessageAnswer { maOk, maYes, maNo };

// Shows one modal box. Error and info boxes have an OK button; question boxes have Yes and
// No with Yes as the default.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual MessageAnswer Present(MessageOwner owner, MessageKind kind, const std::string& caption,
                                  const std::string& text) = 0;
    // Closes the innermost question open now, as answered No.
    virtual void WithdrawQuestion() {}
};

// Installs `presenter` (not owned; null restores the default) and gives the one it
// replaces, null for the default. The default writes every message to standard error and
// answers questions with No.
MessagePresenter* SetMessagePresenter(MessagePresenter* presenter);

// The caption of every later box.
void SetMessageCaption(const char* caption);
const std::string& GetMessageCaption();

// printf-style formatting of any length, then the box; the result is the box's answer.
MessageAnswer ShowErrorMessage(MessageOwner owner, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
MessageAnswer ShowInfoMessage(MessageOwner owner, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Closes the question open now, as answered No: what it asked about is over.
void WithdrawQuestion();

// Asks a Yes/No question. Returns false when the user chose Yes and true for any other
// answer: true tells the caller to stop.
bool AskYesNo(MessageOwner owner, const char* format, ...) __attribute__((format(printf, 2, 3)));
