#pragma once
// The program's own error numbers and descriptions, mapped from the system's error codes.

#include <QString>

enum ErrorNumber : int {
    err_none = 0,
    err_bad_file_name = 52,
    err_file_not_found = 53,
    err_device_io = 57,
    err_file_exists = 58,
    err_disk_full = 61,
    err_device_unavailable = 68,
    err_permission_denied = 70,
    err_disk_not_ready = 71,
    err_path_file_access = 75,
    err_path_not_found = 76,
};

// An error as a value: number 0 is success. `path`, when set, is where an operation over many
// entries failed (a tree deletion), for the message.
struct FsError {
    int number = err_none;
    QString description;
    QString path {};
    // A deletion to the trash found no trash that could take the entry, and left it where it was.
    bool no_trash = false;
    // The system's error code it was mapped from (error_from_errno), 0 for the program's own:
    // what a message names more exactly than the number does.
    int os_error = 0;

    bool failed() const { return number != err_none; }
    explicit operator bool() const { return failed(); }
};

// The file or directory, or a directory on its path, does not exist.
inline bool is_missing(const FsError& e)
{
    return e.number == err_file_not_found || e.number == err_path_not_found;
}

QString error_description(int number);
FsError make_error(int number);
// `errnum` is an errno value; `path` lets ENOENT tell a missing file (53) from a missing
// directory part (76).
FsError error_from_errno(int errnum, const QString& path = {});
// "Error 75 - Path/File access error", followed by " (path)" when the error names one.
QString report_error_text(const FsError& error);

// A value or the error that kept it from being read.
template <typename T> struct Result {
    T value {};
    FsError error;
    bool ok() const { return !error.failed(); }
};
