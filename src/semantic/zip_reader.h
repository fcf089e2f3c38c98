// Zip and jar archives on the class path and the source path.
#pragma once

struct ZipFile;

ZipFile* zipOpen(const char* path);
void zipClose(ZipFile* archive);
