#include "DalvrenApp.h"

int main(int argc, char** argv) {
  CDalvrenApp theApp;
  return AfxWinMain(argc, argv);
}
