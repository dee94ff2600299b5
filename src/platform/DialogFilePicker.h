#pragma once

#include "platform/FilePicker.h"

#include <QPointer>

class QFileDialog;

namespace vorno {

// The desktop's open dialog, non-modal: files only, several at once. The
// capture store keeps at most one on screen.
class DialogFilePicker : public FilePicker
{
public:
    DialogFilePicker() = default;
    ~DialogFilePicker() override;
    DialogFilePicker(const DialogFilePicker &) = delete;
    DialogFilePicker &operator=(const DialogFilePicker &) = delete;

    void begin(Completion done) override;
    void raise() override;

private:
    QPointer<QFileDialog> m_dialog;
};

} // namespace vorno
