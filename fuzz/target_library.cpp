#include "fuzzsupport.h"
#include "fuzztargets.h"

#include "library/libraryfile.h"
#include "library/messageitem.h"

namespace {

// Reads the bytes as the program does at start; a library it keeps is saved again at quit and
// must then read back whole.
void readLibrary(const QByteArray &bytes)
{
    LibraryFile library;
    const LibraryFile::Status status = library.read(bytes);
    FUZZ_CHECK(status == library.status());
    FUZZ_CHECK(!library.statusText().isEmpty());
    FUZZ_CHECK(atMostThreeLevels(library.categories()));
    switch (status) {
    case LibraryFile::Ok:
        FUZZ_CHECK(!library.categories().isEmpty());
        break;
    case LibraryFile::NoData:
        FUZZ_CHECK(library.categories().isEmpty() && library.checkedImages().isEmpty());
        break;
    case LibraryFile::NoCategory:
        FUZZ_CHECK(library.categories().isEmpty());
        break;
    case LibraryFile::XmlError:
        FUZZ_CHECK(!library.errorString().isEmpty());
        break;
    }
    if (status != LibraryFile::Ok)
        return;

    checkSavedLibraryReadsBack(library.categories(), library.checkedImages());

    // The program takes the tree over; whatever it takes it must release itself.
    const QList<MessageItem *> taken = library.takeCategories();
    FUZZ_CHECK(library.categories().isEmpty());
    qDeleteAll(taken);
}

} // namespace

int fuzzLibraryFile(const uint8_t *data, size_t size)
{
    readLibrary(fuzzBytes(data, size));
    return 0;
}

int fuzzLibraryXml(const uint8_t *data, size_t size)
{
    // Stored, not deflated: the wrapping is valid whatever the bytes, and cheap.
    readLibrary(qCompress(data, int(size), 0));
    return 0;
}
