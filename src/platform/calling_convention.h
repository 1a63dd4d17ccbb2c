// Compile-time checks of the calling convention that crosses a binary
// boundary. On 32-bit Windows, COM methods and JNI natives are __stdcall: a
// method or native declared without it still compiles and links, then
// unbalances the stack at its first call. On 64-bit Windows and off Windows
// there is one convention, which every function has.
#pragma once

#include <type_traits>

#if defined(_WIN32) && !defined(_WIN64)

template <typename T>
struct IsStdcall : std::false_type {};
template <typename R, typename C, typename... A>
struct IsStdcall<R (__stdcall C::*)(A...)> : std::true_type {};
template <typename R, typename... A>
struct IsStdcall<R(__stdcall*)(A...)> : std::true_type {};

#else

template <typename T>
struct IsStdcall : std::true_type {};

#endif

// A COM method (pointer to member) or JNI native (pointer to function) as
// its caller on the other side calls it.
template <typename T>
inline constexpr bool kCalledAcrossTheBoundary = IsStdcall<T>::value;
