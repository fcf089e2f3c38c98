// Names of program elements as messages and dumps show them.
#pragma once

struct ClassDef;
struct Member;
struct SourceFile;
struct Token;

const char* sourceFileToString(const SourceFile* file);
const char* tokenToString(const Token* token);
const char* classToString(const ClassDef* classDef);
const char* methodToString(const Member* member);
