#pragma once
// Values the windows hand to each other, kept for the whole run and never
// saved.
#include <cstdint>
#include <string>

namespace Module1 {

inline std::string cur_dir;       // the browser's folder when it handed over
inline std::string cur_drive;     // its drive at the same moment
inline std::int32_t view_width = 0;  // twips
inline float view_height = 0.0f;     // twips
inline std::int16_t cancel_flag = 0; // -1: the thumbnail load was cancelled
inline std::string file_name;     // the picture last chosen, or a new name
inline std::string old_name;      // the file to rename

}  // namespace Module1
