#include "chat/faces/FaceLibraryAdder.h"

namespace {
FaceLibraryAdder *g_adder = nullptr;
}

FaceLibraryAdder *FaceLibraryAdder::current()
{
    return g_adder;
}

FaceLibraryAdder *FaceLibraryAdder::setCurrent(FaceLibraryAdder *adder)
{
    FaceLibraryAdder *previous = g_adder;
    g_adder = adder;
    return previous;
}
