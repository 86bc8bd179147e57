#pragma once
// The one place that decides which character separates folders in the paths
// the run builds and splits. Windows paths use the backslash only; the native
// build uses '/' so that the same run works over Linux folders in tests.

namespace qeb {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace qeb
