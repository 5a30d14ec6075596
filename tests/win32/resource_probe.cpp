// Carries quillo.exe's resources for resources_test; it is never run.
int main() {
    return 0;
}
