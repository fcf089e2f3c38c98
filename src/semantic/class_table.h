// The class table: the package tree and the well-known classes and members that generated code
// and the checks refer to.
#pragma once

void resetClassTable();
void initJavaIo();
void initStringBufferMethods();
