#pragma once

#include <QString>

namespace vorno {

// Whether this user can keep a login with the TPM, and if not, why.
struct TpmHealth
{
    enum class State {
        working,
        noDevice,      // no TPM, or none that answers
        permission,    // the device exists but this user may not open it
        ownerPassword, // the owner hierarchy has a password: no key can be made
        lockout,       // dictionary-attack lockout refuses our keys
        fault,         // any other refusal
    };

    State state = State::noDevice;
    // For permission: the shell command that grants access (empty when the
    // user already has it and only needs a new login).
    QString fixCommand;
    // For permission: the user is in the device's group, but this login
    // started before they were added.
    bool needsNewLogin = false;

    // The state a refusal with TSS2 response `code` means for us.
    [[nodiscard]] static State stateFor(unsigned int code);
};

} // namespace vorno
