// Who makes the program: shown in the About box, in one place.
#pragma once

namespace zc::fp {

inline constexpr const char* kProgramTitle = "Zarnith ZC4100_AP";
inline constexpr const char* kProgramVersion = "Version 1.1";
inline constexpr const char* kRightsNotice = "Copyright (C) 2026 Zarnith Instruments";
inline constexpr const char* kMakerWebAddress = "https://www.zarnith.example/";
inline constexpr const char* kMakerWebText = "www.zarnith.example";

}  // namespace zc::fp
