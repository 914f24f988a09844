#pragma once
// The label module as the client loads it at run time: a shared library found by path, whose
// package entry points Initialize and Finalize and whose screen entry IniProc are resolved by
// name. Load initializes the package once; Open runs IniProc (opening or bringing back the
// module's screen); Finish runs the package's finalization once, before the client ends.
//
// Errors: a library that cannot be loaded, or one that lacks an entry, raises Exception with a
// Portuguese message naming the file and the entry; nothing of that library is run then. The
// library stays mapped until the process ends, because its screens and their code may still be
// referenced by widgets being destroyed at exit.

#include <QLibrary>
#include <QString>

class TModuleLoader {
public:
    TModuleLoader() = default;
    ~TModuleLoader();
    TModuleLoader(const TModuleLoader&) = delete;
    TModuleLoader& operator=(const TModuleLoader&) = delete;

    // libPkg_est99000.so in the folder of the running executable.
    static QString DefaultPath();

    void Load(const QString& path);
    bool Loaded() const { return iniProc_ != nullptr; }
    void Open();
    void Finish();

private:
    using TEntry = void (*)();
    TEntry Resolve(const char* name);

    QLibrary library_;
    TEntry initialize_ = nullptr;
    TEntry finalize_ = nullptr;
    TEntry iniProc_ = nullptr;
    bool initialized_ = false;
};
