#include "app/tavr_main.h"

int main(int argc, char **argv) { return tavr_main(argc, argv); }
