// Generation of every class of an error-free compile, and the clean-up of temporary class files.
#pragma once

void generateAllClasses();
void deleteListedFiles();
