#include "app/DalvrenApp.h"

int main(int argc, char** argv) {
  dalvren::CDalvrenApp theApp;
  return dalvren::AfxWinMain(argc, argv);
}
