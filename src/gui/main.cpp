#include "gui/app/application_windows.h"

int main(int argc, char** argv) { return kestrova::RunKestrova(argc, argv); }
