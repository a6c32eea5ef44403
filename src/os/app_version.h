#pragma once
// The program's version, built in: major, minor and revision.
namespace tessaly {

inline constexpr int kAppMajor = 1;
inline constexpr int kAppMinor = 0;
inline constexpr int kAppRevision = 0;

} // namespace tessaly
