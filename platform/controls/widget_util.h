#pragma once
// Small conversions shared by the control implementations.
#include <QString>

#include <string>

#include "platform/core/runtime.h"
#include "platform/core/types.h"

namespace platform::detail {

inline QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
inline std::string ss(const QString& s) { return s.toUtf8().toStdString(); }

// Maps a toolkit key to the classic 16-bit key code (46 for Delete, ...).
int classic_key_code(int qt_key);
// Modifier state: 1 Shift, 2 Ctrl, 4 Alt.
int classic_shift_state(int qt_modifiers);

}  // namespace platform::detail
