// The command line's floor: a Qt Core program that prints a version and exits.
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    std::puts("floor 0.1.0");
    return 0;
}
