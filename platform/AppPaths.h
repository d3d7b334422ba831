#pragma once
// Where the program keeps its own files.

#include <QString>

// The folder of the program's executable.
QString program_folder();
// True when `folder` is the bin/ folder of an installation (the package or `cmake --install`),
// told by the file the installation puts in share/tandrel/ beside it.
bool installed_program(const QString& folder);
// The user's data folder, where an installed program keeps its own files.
QString user_data_folder();
// Where the trace flag and the trace file are: beside the program, or in the user's data folder
// for an installed program, which never writes beside itself.
QString trace_folder(const QString& folder = program_folder());
// The history file: "tmp/tandrel_his.tmp" beside the program, or, for an installed program or
// when that folder cannot be created or written, the same name in the user's data folder.
QString history_file_path(const QString& folder = program_folder());
// The history file in the user's data folder, where it goes when the program's folder cannot be
// written.
QString history_fallback_path();
