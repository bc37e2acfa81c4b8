#include "plot.h"

int main(int argc, char **argv) {
  return plot_run(argc, argv);
}
