#pragma once
// emscripten 3.1.6 ships the C++ library of LLVM 14, which lacks
// std::bit_cast, make_unique_for_overwrite and the floating-point to_chars
// and from_chars. The web
// build includes this before every file (web/CMakeLists.txt); the native
// build never sees it.
#include <fast_float/fast_float.h>

#include <bit>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <type_traits>

namespace std {

#if !defined(__cpp_lib_bit_cast)
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept
{
    return __builtin_bit_cast(To, from);
}
#endif

#if !defined(__cpp_lib_smart_ptr_for_overwrite)
template <class T>
requires std::is_unbounded_array_v<T> unique_ptr<T> make_unique_for_overwrite(size_t size)
{
    return unique_ptr<T>(new remove_extent_t<T>[size]);
}
#endif

// The shortest text that reads back as the same double.
inline to_chars_result to_chars(char* first, char* last, double value)
{
    char text[32];
    int length = 0;
    for (int precision = 1; precision <= 17; ++precision) {
        length = std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    if (length <= 0 || length > last - first) return {last, errc::value_too_large};
    std::memcpy(first, text, static_cast<size_t>(length));
    return {first + length, errc{}};
}

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format format = chars_format::general)
{
    const fast_float::from_chars_result result =
        fast_float::from_chars(first, last, value, static_cast<fast_float::chars_format>(format));
    return {result.ptr, result.ec};
}

}  // namespace std
