// The message boxes as Qt dialogs. The owner handle is the QWidget that owns the box.
#pragma once

#include "data/messagebox.h"

class QtMessagePresenter final : public MessagePresenter {
public:
    MessageAnswer Present(MessageOwner owner, MessageKind kind, const std::string& caption,
                          const std::string& text) override;
};
