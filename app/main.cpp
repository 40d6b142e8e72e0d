#include "app/InitApp.h"

int main(int argc, char **argv)
{
    return InitApp::Run(argc, argv);
}
