#pragma once

#include <functional>

class QWidget;

namespace vorno {

class CaptureStore;

// Whether the application may quit now: the cloud composer keeps its text
// first (and may refuse), then unsaved edits of the local note are kept,
// dropped or the quit called off, as the user chooses.
namespace QuitGuard {
enum class Choice { save, cancel, quitWithout };
using Ask = std::function<Choice()>;

[[nodiscard]] bool mayQuit(CaptureStore *store, const Ask &ask);
// The application-modal alert with its three buttons, "Save draft" the default.
[[nodiscard]] Choice askWithAlert(QWidget *parent = nullptr);
} // namespace QuitGuard

} // namespace vorno
