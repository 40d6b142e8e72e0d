#include "app/BrivaneApplication.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication toolkit(argc, argv);
    TBrivaneApplication application;
    return application.Run();
}
