#include "app/Application.h"

int main() {
    return zelmor::Application::run();
}
