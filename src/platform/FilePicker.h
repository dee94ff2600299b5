#pragma once

#include <QList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace vorno {

// The open panel: lets the user pick files (several, no folders).
class FilePicker
{
public:
    // The picked locations, or nothing when the user cancelled. Called once,
    // from the event loop, after which the picker is not used again.
    using Completion = std::function<void(std::optional<QList<QUrl>>)>;

    virtual ~FilePicker() = default;

    // Shows the panel without blocking.
    virtual void begin(Completion done) = 0;
    // Brings the panel that is already on screen to the front.
    virtual void raise() = 0;
};

using FilePickerFactory = std::function<std::unique_ptr<FilePicker>()>;

} // namespace vorno
