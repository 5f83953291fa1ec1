// Linked with one layer's whole archive and the layers below it; see cmake/layers.cmake.
int main() { return 0; }
