#pragma once

#include <jni.h>

// The process's Java virtual machine, looked up at run time so that the
// library also loads into a process without one. Null when there is none.
JavaVM* vdsFindJavaVM();
