// Links one layer of the program, whole, with the layers below it: the build
// fails when the layer calls into a layer above it.
int main()
{
    return 0;
}
