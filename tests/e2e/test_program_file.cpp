// What the program file carries for Windows and its users, read back from the
// built file the way the system reads it: the application manifest (a
// malformed one makes Windows refuse to start the program at all) and the
// version resource that the file's Properties show.
#include "e2e/support_harness.h"
#include "res/version.h"   // generated from the project version

#include <msxml2.h>
#include <set>

using namespace e2e;

namespace {

std::string Narrow(const wchar_t *text)
{
    char out[1024] = "";
    if (text)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, NULL, NULL);
    return out;
}

// The bytes of one resource of a file, as the loader finds them.
std::string ResourceBytes(const std::string &file, LPCSTR type, LPCSTR name)
{
    HMODULE module = LoadLibraryExA(file.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "";
    std::string bytes;
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
    if (loaded)
        bytes.assign((const char *)LockResource(loaded), SizeofResource(module, found));
    FreeLibrary(module);
    return bytes;
}

// The manifest parsed by the system's XML parser (MSXML), with prefixes for
// the four namespaces a manifest uses.
class ManifestDocument {
public:
    explicit ManifestDocument(const std::string &xml)
    {
        CoInitialize(NULL);
        static const CLSID kDomDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
        static const IID kDomDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
        if (FAILED(CoCreateInstance(kDomDocument30, NULL, CLSCTX_INPROC_SERVER, kDomDocument2, (void **)&doc_))) {
            error_ = "no XML parser";
            return;
        }
        doc_->put_async(VARIANT_FALSE);
        doc_->put_validateOnParse(VARIANT_FALSE);
        std::wstring wide(xml.size(), L'\0');
        wide.resize(MultiByteToWideChar(CP_UTF8, 0, xml.data(), (int)xml.size(), &wide[0], (int)wide.size()));
        BSTR text = SysAllocStringLen(wide.data(), (UINT)wide.size());
        VARIANT_BOOL ok = VARIANT_FALSE;
        doc_->loadXML(text, &ok);
        SysFreeString(text);
        if (ok != VARIANT_TRUE) {
            IXMLDOMParseError *parseError = NULL;
            BSTR reason = NULL;
            if (SUCCEEDED(doc_->get_parseError(&parseError)) && parseError) {
                parseError->get_reason(&reason);
                parseError->Release();
            }
            error_ = "not well-formed: " + Narrow(reason);
            SysFreeString(reason);
            return;
        }
        SetProperty(L"SelectionLanguage", L"XPath");
        SetProperty(L"SelectionNamespaces",
                    L"xmlns:a='urn:schemas-microsoft-com:asm.v1' xmlns:v3='urn:schemas-microsoft-com:asm.v3' "
                    L"xmlns:c='urn:schemas-microsoft-com:compatibility.v1' "
                    L"xmlns:w='http://schemas.microsoft.com/SMI/2005/WindowsSettings'");
    }
    ~ManifestDocument()
    {
        if (doc_)
            doc_->Release();
        CoUninitialize();
    }
    const std::string &Error() const { return error_; }

    // The text of every node the expression selects.
    std::vector<std::string> Select(const wchar_t *xpath)
    {
        std::vector<std::string> texts;
        IXMLDOMNodeList *nodes = NULL;
        BSTR query = SysAllocString(xpath);
        if (error_.empty() && SUCCEEDED(doc_->selectNodes(query, &nodes)) && nodes) {
            IXMLDOMNode *node = NULL;
            while (nodes->nextNode(&node) == S_OK && node) {
                BSTR text = NULL;
                node->get_text(&text);
                texts.push_back(Narrow(text));
                SysFreeString(text);
                node->Release();
            }
            nodes->Release();
        }
        SysFreeString(query);
        return texts;
    }

private:
    void SetProperty(const wchar_t *name, const wchar_t *value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(value);
        BSTR key = SysAllocString(name);
        doc_->setProperty(key, v);
        SysFreeString(key);
        VariantClear(&v);
    }

    IXMLDOMDocument2 *doc_ = NULL;
    std::string error_;
};

// The system's own reading of a manifest: the activation context that the
// loader makes from it. NULL when it refuses the manifest.
HANDLE ActivationContextOf(const std::string &file, bool fromResource)
{
    ACTCTXA context;
    memset(&context, 0, sizeof context);
    context.cbSize = sizeof context;
    context.lpSource = file.c_str();
    if (fromResource) {
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpResourceName = MAKEINTRESOURCEA(1);
    }
    HANDLE handle = CreateActCtxA(&context);
    return handle == INVALID_HANDLE_VALUE ? NULL : handle;
}

}  // namespace

TEST(ProgramFile, ManifestIsWellFormedWithItsNamespacesAndValues)
{
    const std::string xml = ResourceBytes(BuiltProduct(), MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_FALSE(xml.empty()) << "no manifest (type 24, id 1)";
    ManifestDocument manifest(xml);
    ASSERT_EQ("", manifest.Error()) << xml;

    const std::string version = VEL_VERSION_TEXT ".0";
    const struct {
        const wchar_t *xpath;
        std::string expected;
    } rows[] = {
        {L"/a:assembly/@manifestVersion", "1.0"},
        {L"/a:assembly/a:assemblyIdentity/@type", "win32"},
        {L"/a:assembly/a:assemblyIdentity/@version", version},
        // The program's own: the 64-bit test build (machines without 32-bit code) says so.
        {L"/a:assembly/a:assemblyIdentity/@processorArchitecture", sizeof(void *) == 8 ? "amd64" : "x86"},
        {L"/a:assembly/v3:trustInfo/v3:security/v3:requestedPrivileges/v3:requestedExecutionLevel/@level",
         "requireAdministrator"},
        {L"/a:assembly/v3:application/v3:windowsSettings/w:dpiAware", "true"},
        {L"/a:assembly/a:dependency/a:dependentAssembly/a:assemblyIdentity/@name",
         "Microsoft.Windows.Common-Controls"},
        {L"/a:assembly/a:dependency/a:dependentAssembly/a:assemblyIdentity/@version", "6.0.0.0"},
        {L"/a:assembly/a:dependency/a:dependentAssembly/a:assemblyIdentity/@publicKeyToken", "6595b64144ccf1df"},
        {L"/a:assembly/a:dependency/a:dependentAssembly/a:assemblyIdentity/@processorArchitecture", "*"},
        {L"/a:assembly/a:dependency/a:dependentAssembly/a:assemblyIdentity/@type", "win32"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(Narrow(row.xpath));
        EXPECT_EQ(std::vector<std::string>{row.expected}, manifest.Select(row.xpath));
    }

    // Vista, 7, 8, 8.1 and 10/11, as Microsoft names them.
    const std::vector<std::string> ids = manifest.Select(L"/a:assembly/c:compatibility/c:application/c:supportedOS/@Id");
    EXPECT_EQ((std::set<std::string>{"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                     "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                     "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}),
              std::set<std::string>(ids.begin(), ids.end()));
    EXPECT_EQ(5u, ids.size());
}

TEST(ProgramFile, SystemAcceptsManifestAndGivesCommonControls6)
{
    // Wine starts a program whatever its manifest holds; Windows refuses a
    // malformed one. The activation context is where both read it.
    HANDLE context = ActivationContextOf(BuiltProduct(), true);
    ASSERT_NE(nullptr, context) << "the system refuses the manifest: " << GetLastError();
    // The comctl32.dll it gives the program is the Common Controls 6 assembly.
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    ACTCTX_SECTION_KEYED_DATA redirection;
    memset(&redirection, 0, sizeof redirection);
    redirection.cbSize = sizeof redirection;
    EXPECT_TRUE(FindActCtxSectionStringA(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll",
                                         &redirection));
    DeactivateActCtx(0, cookie);
    std::vector<char> buffer(4096);
    SIZE_T needed = 0;
    ASSERT_TRUE(QueryActCtxW(0, context, &redirection.ulAssemblyRosterIndex,
                             AssemblyDetailedInformationInActivationContext, buffer.data(), buffer.size(), &needed));
    const auto *assembly = (const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION *)buffer.data();
    const std::string identity = Narrow(assembly->lpAssemblyEncodedAssemblyIdentity);
    EXPECT_NE(std::string::npos, identity.find("Microsoft.Windows.Common-Controls")) << identity;
    EXPECT_NE(std::string::npos, identity.find("version=\"6.")) << identity;
    ReleaseActCtx(context);

    // The same check refuses the manifest without its closing tag.
    const std::string xml = ResourceBytes(BuiltProduct(), MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    const std::string cut = TempDir() + "VelUninstall.cut.manifest";
    WriteBytes(cut, xml.substr(0, xml.rfind('<')));
    HANDLE refused = ActivationContextOf(cut, false);
    EXPECT_EQ(nullptr, refused);
    if (refused)
        ReleaseActCtx(refused);
    DeleteFileA(cut.c_str());

    // And the program starts with it: the pause mode ends with 0.
    EXPECT_EQ(0u, WaitAndClose(Start("\"" + BuiltProduct() + "\" wait")));
}

TEST(ProgramFile, VersionResourceCarriesTheProjectVersion)
{
    std::string file = BuiltProduct();
    DWORD handle = 0, size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    ASSERT_NE(0u, size) << "no version resource";
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void **)&fixed, &length));
    const WORD parts[] = {VEL_VERSION_BINARY};
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(MAKELONG(parts[1], parts[0]), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(parts[3], parts[2]), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);

    // English texts, Unicode: the language the Properties page looks up.
    WORD *translation = NULL;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void **)&translation, &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1200, translation[1]);

    const struct {
        const char *name, *expected;
    } rows[] = {
        {"FileDescription", "VEL setup and uninstall"},
        {"FileVersion", VEL_VERSION_TEXT},
        {"ProductName", "VEL file manager"},
        {"ProductVersion", VEL_VERSION_TEXT},
        {"OriginalFilename", "VelUninstall.exe"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        char *text = NULL;
        std::string query = std::string("\\StringFileInfo\\040904b0\\") + row.name;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), (void **)&text, &length));
        EXPECT_EQ(row.expected, std::string(text));
    }
}
