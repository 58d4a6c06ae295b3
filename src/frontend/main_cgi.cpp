#include "frontend/CgiPage.h"

int main() {
  return scrivlet::RunCgi();
}
