#include "app/windows.h"

void CreateAllWindows() {}
void FreeAllWindows() {}
