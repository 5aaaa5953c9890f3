// A program on the framework that brings no resource script, for the test
// that start-up refuses without one.
#include "framework/WinApp.h"

int main(int argc, char** argv) {
  dalvren::CWinApp theApp;
  return dalvren::AfxWinMain(argc, argv);
}
