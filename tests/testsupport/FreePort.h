#pragma once

#include <QtGlobal>

// A TCP port on 127.0.0.1 that was free a moment ago, for peers that cannot be
// told to pick their own.
[[nodiscard]] quint16 freePort();
