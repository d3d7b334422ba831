#pragma once
// Where the program keeps its own files.

#include <QString>

// The folder of the program's executable.
QString program_folder();
// The history file: "tmp/tandrel_his.tmp" beside the program, or, when that folder cannot be
// created or written (an installed program), the same name in the user's data folder.
QString history_file_path();
// The history file in the user's data folder, where it goes when the program's folder cannot be
// written.
QString history_fallback_path();
