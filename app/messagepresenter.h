// The message boxes as Qt dialogs. The owner handle is the QWidget that owns the box.
#pragma once

#include "data/messagebox.h"

class QMessageBox;

class QtMessagePresenter final : public MessagePresenter {
public:
    MessageAnswer Present(MessageOwner owner, MessageKind kind, const std::string& caption,
                          const std::string& text) override;
    void WithdrawQuestion() override;

private:
    QMessageBox* mQuestion = nullptr;  // the innermost question open
};
