// The lines that tell an IDE what a compile made and what each generated class depends on, printed
// to standard output with -xdepend or -qeb: "CLDEP:" while a class is generated, "CLASS:" once its
// class file is written.
#pragma once

struct ClassDef;

// "CLDEP:<generated>,<referenced>" once for each class referred to while another class is
// generated, never for the class itself; the pair is printed again when some other class's
// generation noted the referenced class in between.
void noteClassDependency(ClassDef* cls);

// "CLASS:<source file>,<first line>,<last line>,<dotted name>".
void writeClassLine(ClassDef* cls);
