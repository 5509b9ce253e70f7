// The baseline for the converter's start-up: a hello world linked against
// Qt Core that uses it.
#include <QString>

#include <cstdio>

int main()
{
    std::puts(qPrintable(QStringLiteral("hello, world")));
    return 0;
}
