#include "data/messagebox.h"

#include <cstdarg>
#include <cstdio>

#include "data/formattext.h"

namespace {

class StandardErrorPresenter final : public MessagePresenter {
public:
    MessageAnswer Present(MessageOwner, MessageKind kind, const std::string& caption,
                          const std::string& text) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return kind == mkQuestion ? maNo : maOk;
    }
};

StandardErrorPresenter gDefaultPresenter;
MessagePresenter* gPresenter = &gDefaultPresenter;
std::string gCaption;

MessageAnswer Present(MessageOwner owner, MessageKind kind, const char* format, va_list args) {
    return gPresenter->Present(owner, kind, gCaption, FormatTextV(format, args));
}

}  // namespace

MessagePresenter* SetMessagePresenter(MessagePresenter* presenter) {
    MessagePresenter* previous = gPresenter == &gDefaultPresenter ? nullptr : gPresenter;
    gPresenter = presenter ? presenter : &gDefaultPresenter;
    return previous;
}

void SetMessageCaption(const char* caption) { gCaption = caption ? caption : ""; }

const std::string& GetMessageCaption() { return gCaption; }

MessageAnswer ShowErrorMessage(MessageOwner owner, const char* format, ...) {
    va_list args;
    va_start(args, format);
    MessageAnswer answer = Present(owner, mkError, format, args);
    va_end(args);
    return answer;
}

MessageAnswer ShowInfoMessage(MessageOwner owner, const char* format, ...) {
    va_list args;
    va_start(args, format);
    MessageAnswer answer = Present(owner, mkInfo, format, args);
    va_end(args);
    return answer;
}

void WithdrawQuestion() { gPresenter->WithdrawQuestion(); }

bool AskYesNo(MessageOwner owner, const char* format, ...) {
    va_list args;
    va_start(args, format);
    MessageAnswer answer = Present(owner, mkQuestion, format, args);
    va_end(args);
    return answer != maYes;
}
