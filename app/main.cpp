#include "startup.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return Startup::run(argc, argv, app);
}
