#pragma once

#include <QPoint>

#include <cstdint>

// Input as a real device makes it, through XTest on Qt's X connection:
// motion that also makes raw motion events, clicks and keys.
namespace XTestInput {

void moveTo(QPoint point);
void clickAt(QPoint point);
// The innermost window that takes the pointer where it is now.
[[nodiscard]] uint32_t windowUnderPointer();

} // namespace XTestInput
