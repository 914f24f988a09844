#include "moduleloader.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QDir>

TModuleLoader::~TModuleLoader()
{
    Finish();
}

QString TModuleLoader::DefaultPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libPkg_est99000.so"));
}

TModuleLoader::TEntry TModuleLoader::Resolve(const char* name)
{
    auto entry = reinterpret_cast<TEntry>(library_.resolve(name));
    if (!entry)
        throw Exception(QStringLiteral("O módulo %1 não contém a entrada %2.")
                            .arg(library_.fileName(), QLatin1String(name)));
    return entry;
}

void TModuleLoader::Load(const QString& path)
{
    if (Loaded())
        return;
    library_.setFileName(path);
    if (!library_.load())
        throw Exception(QStringLiteral("Não foi possível carregar o módulo %1.\n%2")
                            .arg(path, library_.errorString()));
    // Every entry is resolved before any of them runs, so that a library of the wrong kind
    // is rejected as a whole.
    const TEntry initialize = Resolve("Initialize");
    const TEntry finalize = Resolve("Finalize");
    const TEntry iniProc = Resolve("IniProc");
    initialize_ = initialize;
    finalize_ = finalize;
    iniProc_ = iniProc;
    initialize_();
    initialized_ = true;
}

void TModuleLoader::Open()
{
    if (!Loaded())
        throw Exception(QStringLiteral("O módulo de etiquetas não está carregado."));
    iniProc_();
}

void TModuleLoader::Finish()
{
    if (!initialized_)
        return;
    initialized_ = false;
    finalize_();
}
