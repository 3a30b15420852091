#ifndef LUMETRA_SIM_SIMULATOR_H
#define LUMETRA_SIM_SIMULATOR_H

#include "accelrecords.h"
#include "accelsdk.h"
#include "calltrace.h"
#include "scenario.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class StatusPlayer;

// The simulated printer behind the ACCEL function table: checks every call as
// a device would (handles, documents, order, arguments, records), answers as
// the scenario says and traces what it received. One instance per loaded
// library; every operation may be called from any thread.
class Simulator
{
public:
    static Simulator& instance();
    ~Simulator();

    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // ACCEL_LoadFunction. folder is the library's own folder, moduleIsOwn whether
    // module is the handle the loader has for this library.
    uint32_t bind(void* module, bool moduleIsOwn, void* table, int64_t tableSize, const std::string& folder,
                  const AccelFunctionTable& functions);

    uint32_t loadLibraryInitialize(int32_t flags, const char* sdkFolder, int64_t sdkFolderLength,
                                   const char* tempFolder, int64_t tempFolderLength, int32_t reserved,
                                   void* reserved2);
    uint32_t loadLibraryTerminate(int32_t flags);
    AccelHandle initialize(int32_t flags);
    uint32_t setPrinter(AccelHandle h, const char* model, int64_t length);
    uint32_t terminate(AccelHandle h, int32_t flags);
    uint32_t open(AccelHandle h, int32_t connectionCode, const char* address, int64_t length);
    uint32_t close(AccelHandle h);
    uint32_t getConnectionInfo(AccelHandle h, void* record);
    uint32_t getErrorCodes(AccelHandle h, void* record);
    uint32_t createDoc(AccelHandle h, int32_t* doc);
    uint32_t setDocText(const char* operation, AccelHandle h, int32_t doc, const char* text, int64_t length);
    uint32_t startDoc(AccelHandle h, int32_t doc, const void* record);
    uint32_t endDoc(AccelHandle h, int32_t doc);
    uint32_t abortDoc(AccelHandle h, int32_t doc);
    uint32_t deleteDoc(AccelHandle h, int32_t doc);
    uint32_t printDoc(AccelHandle h, int32_t doc, AccelStatusCallback callback, void* user);
    uint32_t setPrintOption(AccelHandle h, int32_t doc, int32_t option);
    uint32_t releaseJobStatus(AccelHandle h, int32_t doc);
    uint32_t isDocFinished(AccelHandle h, int32_t doc);
    uint32_t measurePage(AccelHandle h, int32_t doc, const void* dryingList, int64_t dryingCount,
                         const void* record, int64_t flags);
    uint32_t getJobStatus(AccelHandle h, int32_t doc, void* record);
    void* allocMeasurementData(AccelHandle h, int32_t doc, int32_t page, int32_t index, int32_t flags);
    uint32_t deallocMeasurementData(AccelHandle h, int32_t doc, void* block);
    uint32_t write(AccelHandle h, int32_t doc, const char* bytes, int64_t length);
    uint32_t setLabelOffset(AccelHandle h, int32_t doc, int32_t first, int32_t second, int32_t third);
    uint32_t endLabel(AccelHandle h, int32_t doc, int32_t flag);
    uint32_t createChart(AccelHandle h, int32_t doc, const void* record, int32_t a, int32_t b,
                         AccelChartCallback line, AccelChartCallback begin, AccelChartCallback end, void* user);
    uint32_t unsupported(int slot);

private:
    enum class DocState { Created, Started, Printing, Ended, Aborted };
    struct PageData
    {
        int32_t patchCount = 0;
        int32_t dataCount = 0;
        std::optional<int32_t> lastBlockLength;
        int32_t stallMs = 0;
    };
    struct Document
    {
        DocState state = DocState::Created;
        bool labelOpen = false;
        int64_t labelBytes = 0;
        bool charting = false;
        bool dataEndsPage = true; // started with the driver's document mode 0 (modes 1,1,0)
        AccelStatusCallback callback = nullptr;
        void* user = nullptr;
        JobStatusRecord status = {};
        std::map<int32_t, PageData> pages;
        std::unique_ptr<StatusPlayer> player;
        uint64_t playerSerial = 0;
    };
    struct Block
    {
        MeasurementDataBlock header = {};
        std::vector<uint8_t> bytes;
        int32_t doc = 0;
    };
    struct Session
    {
        int number = 0;
        std::string printer;
        bool connectionOpen = false;
        int32_t connectionCode = 0;
        int charts = 0;
        ErrorCodes errors;
        int32_t lastDoc = 0;
        std::map<int32_t, Document> docs;
        std::map<const void*, std::unique_ptr<Block>> blocks;
    };
    // One call being answered: its trace line and its number among calls of its kind.
    struct Reply
    {
        std::string operation;
        std::string arguments;
        int64_t callNumber = 0;
    };
    using Lock = std::unique_lock<std::mutex>;
    using Players = std::vector<std::unique_ptr<StatusPlayer>>;

    Simulator() = default;

    // One call on a session or a document: the lock held, the reply to trace, what it names.
    struct Call
    {
        Lock lock;
        Reply r;
        Session* s = nullptr;
        Document* d = nullptr;
        uint32_t refused = 0; // the answer when the handle or the document is unknown
    };

    Reply reply(const char* operation, const std::vector<std::string>& arguments);
    uint32_t accept(const Reply& r, const std::string& detail = std::string());
    uint32_t refuse(const Reply& r, uint32_t code, const std::string& reason);
    uint32_t fault(const Reply& r) const;

    Session* session(AccelHandle h);
    Document* document(Session* s, int32_t doc);
    Call sessionCall(const char* operation, AccelHandle h, const std::vector<std::string>& arguments);
    Call documentCall(const char* operation, AccelHandle h, int32_t doc, const std::vector<std::string>& arguments);
    // GetConnectionInfo and GetErrorCodes: a record to fill over the open connection.
    Call connectionQuery(const char* operation, AccelHandle h, const void* record);
    // EndDoc and AbortDoc: the document's status thread stops, the document takes state.
    uint32_t stopDocument(const char* operation, AccelHandle h, int32_t doc, DocState state);
    std::string handleText(AccelHandle h);
    // The bytes of a record as given, for checks that must not read them through this
    // library's own header; kept where the scenario asks (dump.<operation>).
    void keepRecord(const char* operation, const void* record, size_t size) const;
    static std::string textArgument(const char* name, const char* bytes, int64_t length);
    static bool validText(const char* bytes, int64_t length);
    static bool running(DocState state) { return state == DocState::Started || state == DocState::Printing; }

    void deliverStatus(AccelHandle h, int32_t doc, uint64_t serial, int32_t measuredPage, const StatusStep& step);
    // Ends a player; from its own thread (inside a status callback) it is kept to be joined later.
    void retire(std::unique_ptr<StatusPlayer> player, Lock& lock);
    void retire(Players players, Lock& lock);
    Players takeSessionPlayers(Session& s);

    std::mutex m_mutex;
    Scenario m_scenario;
    CallTrace m_trace;
    std::map<std::string, std::string> m_recordPaths; // by operation; none: its records are not kept
    std::map<std::string, int64_t> m_callCounts;
    bool m_libraryInitialized = false;
    int m_sessionCount = 0;
    uint64_t m_playerCount = 0;
    std::map<AccelHandle, std::unique_ptr<Session>> m_sessions;
    Players m_retired;
};

#endif
