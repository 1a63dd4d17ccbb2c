/*
 * Machine-dependent JNI types for 32-bit Windows, used when the DLL is
 * cross-compiled: the JDK on the build machine ships only its own platform's
 * version of this header. The definitions follow the documented JNI types for
 * Windows: stdcall natives, 32-bit jint, 64-bit jlong.
 */
#ifndef TOLVANE_JNI_MD_WIN32_H
#define TOLVANE_JNI_MD_WIN32_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
