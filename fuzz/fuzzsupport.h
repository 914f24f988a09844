#pragma once
// Shared pieces of the fuzz targets: the input as text, a property check that stops the run with
// a message libFuzzer keeps beside the crashing input, and a Qt application object for the code
// that needs one (plugins, the SQL drivers).

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property that must hold for every input; a break is reported like a crash.
#define FUZZ_CHECK(condition, what)                                                                     \
    do {                                                                                                \
        if (!(condition)) {                                                                             \
            std::fprintf(stderr, "fuzz property broken at %s:%d: %s\n", __FILE__, __LINE__,              \
                         QString(what).toUtf8().constData());                                           \
            std::abort();                                                                               \
        }                                                                                               \
    } while (0)

inline QByteArray FuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline QString FuzzText(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// One application object for the whole run, made before the first input.
inline void FuzzEnsureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}
