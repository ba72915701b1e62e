/// A program that does nothing; built several times over with different manifests, it
/// gives the manifest reader real files to read.
int main()
{
    return 0;
}
