#include "simulator.h"

#include "chartlayout.h"
#include "chartrenderer.h"
#include "measurementdata.h"
#include "simerror.h"
#include "statusplayer.h"

#include <cstdio>
#include <cstring>
#include <thread>

namespace {

constexpr int64_t MaxTextLength = 254;        // texts live in 255-byte fields on the caller's side
constexpr int64_t MaxWriteLength = 16 << 20;
constexpr int64_t MaxDryingEntries = 10000;
constexpr int64_t MaxDocTextLength = 1024;    // the name fields of DocRecord
constexpr int32_t LoadLibraryFlags = 0x100;

std::string number(int64_t value)
{
    return std::to_string(value);
}

std::string pointerText(const void* p)
{
    return p ? "set" : "null";
}

} // namespace

Simulator& Simulator::instance()
{
    static Simulator simulator;
    return simulator;
}

Simulator::~Simulator()
{
    Lock lock(m_mutex);
    Players players = std::move(m_retired);
    for (auto& entry : m_sessions) {
        Players more = takeSessionPlayers(*entry.second);
        for (auto& player : more)
            players.push_back(std::move(player));
    }
    lock.unlock();
    players.clear(); // each player stops and joins its thread
}

// ---- bookkeeping -----------------------------------------------------------------------------

Simulator::Reply Simulator::reply(const char* operation, std::initializer_list<std::string> arguments)
{
    Reply r;
    r.operation = operation;
    for (const std::string& argument : arguments)
        r.arguments += (r.arguments.empty() ? "" : ", ") + argument;
    r.callNumber = ++m_callCounts[r.operation];
    return r;
}

uint32_t Simulator::accept(const Reply& r, const std::string& detail)
{
    m_trace.write(r.operation + "(" + r.arguments + ") = 0" + (detail.empty() ? "" : " " + detail));
    return SimOk;
}

uint32_t Simulator::refuse(const Reply& r, uint32_t code, const std::string& reason)
{
    m_trace.write(r.operation + "(" + r.arguments + ") = " + CallTrace::code(code) + " (" + reason + ")");
    return code;
}

uint32_t Simulator::fault(const Reply& r) const
{
    return m_scenario.faultFor(r.operation, r.callNumber);
}

Simulator::Session* Simulator::session(AccelHandle h)
{
    const auto found = m_sessions.find(h);
    return found != m_sessions.end() ? found->second.get() : nullptr;
}

Simulator::Document* Simulator::document(Session* s, int32_t doc)
{
    if (!s)
        return nullptr;
    const auto found = s->docs.find(doc);
    return found != s->docs.end() ? &found->second : nullptr;
}

Simulator::Document* Simulator::knownDocument(const Reply& r, AccelHandle h, int32_t doc, Session** s,
                                              uint32_t& code)
{
    *s = session(h);
    if (!*s) {
        code = refuse(r, SimUnknownHandle, "unknown handle");
        return nullptr;
    }
    Document* d = document(*s, doc);
    if (!d)
        code = refuse(r, SimUnknownDocument, "unknown document");
    return d;
}

std::string Simulator::handleText(AccelHandle h)
{
    if (!h)
        return "h=null";
    const Session* s = session(h);
    return s ? "h=" + number(s->number) : "h=unknown";
}

bool Simulator::validText(const char* bytes, int64_t length)
{
    return bytes && length >= 1 && length <= MaxTextLength;
}

std::string Simulator::textArgument(const char* name, const char* bytes, int64_t length)
{
    // A text is only read within the length the device accepts.
    if (!validText(bytes, length))
        return std::string(name) + "=" + (bytes ? "" : "null ") + "length " + number(length);
    return std::string(name) + "=" + CallTrace::text(bytes, length);
}

Simulator::Players Simulator::takeSessionPlayers(Session& s)
{
    Players players;
    for (auto& entry : s.docs) {
        if (entry.second.player)
            players.push_back(std::move(entry.second.player));
    }
    return players;
}

void Simulator::retire(std::unique_ptr<StatusPlayer> player, Lock& lock)
{
    Players players;
    players.push_back(std::move(player));
    retire(std::move(players), lock);
}

void Simulator::retire(Players players, Lock& lock)
{
    Players toJoin;
    for (auto& player : players) {
        if (player && player->onPlayerThread())
            m_retired.push_back(std::move(player));
        else if (player)
            toJoin.push_back(std::move(player));
    }
    lock.unlock();
    // Joined without the lock: a status callback in flight may still call in.
    toJoin.clear();
}

// ---- library and session ---------------------------------------------------------------------

uint32_t Simulator::bind(void* module, bool moduleIsOwn, void* table, int64_t tableSize, const std::string& folder,
                         const AccelFunctionTable& functions)
{
    Lock lock(m_mutex);
    if (!m_libraryInitialized) {
        // A new run: the scenario as the file says now, a fresh trace and fresh call counts.
        Scenario scenario;
        std::string error;
        const std::string path = folder + "/" + Scenario::fileName();
        if (!scenario.load(path, error)) {
            std::fprintf(stderr, "ACCEL simulator: %s: %s\n", path.c_str(), error.c_str());
            return SimBadScenario;
        }
        m_scenario = scenario;
        m_callCounts.clear();
        const std::string& traceFile = m_scenario.traceFile;
        const std::string tracePath = traceFile.empty() || traceFile[0] == '/' ? traceFile : folder + "/" + traceFile;
        if (!m_trace.open(tracePath))
            std::fprintf(stderr, "ACCEL simulator: cannot write the trace %s\n", tracePath.c_str());
    }
    const Reply r = reply("LoadFunction", {std::string("module=") + (moduleIsOwn ? "own" : pointerText(module)),
                                           "table=" + pointerText(table), "size=" + number(tableSize)});
    if (!table || tableSize != AccelFunctionTableSize)
        return refuse(r, SimBadTable, "table null or its size not 352");
    if (!moduleIsOwn)
        return refuse(r, SimBadArgument, "module is not the loader's handle of this library");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    std::memcpy(table, &functions, sizeof functions);
    return accept(r);
}

uint32_t Simulator::loadLibraryInitialize(int32_t flags, const char* sdkFolder, int64_t sdkFolderLength,
                                          const char* tempFolder, int64_t tempFolderLength, int32_t reserved,
                                          void* reserved2)
{
    Lock lock(m_mutex);
    const Reply r = reply("LoadLibraryInitialize",
                          {"flags=" + number(flags), textArgument("sdkFolder", sdkFolder, sdkFolderLength),
                           textArgument("tempFolder", tempFolder, tempFolderLength), "reserved=" + number(reserved),
                           "reserved2=" + pointerText(reserved2)});
    if (m_libraryInitialized)
        return refuse(r, SimWrongOrder, "library already initialised");
    if ((flags & ~LoadLibraryFlags) != 0 || reserved != 0 || reserved2)
        return refuse(r, SimBadArgument, "unknown flags or reserved arguments set");
    if (!validText(sdkFolder, sdkFolderLength) || !validText(tempFolder, tempFolderLength))
        return refuse(r, SimBadArgument, "folder text null or its length outside 1 to 254");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    m_libraryInitialized = true;
    return accept(r);
}

uint32_t Simulator::loadLibraryTerminate(int32_t flags)
{
    Lock lock(m_mutex);
    const Reply r = reply("LoadLibraryTerminate", {"flags=" + number(flags)});
    if (!m_libraryInitialized)
        return refuse(r, SimWrongOrder, "library not initialised");
    if (flags != 0)
        return refuse(r, SimBadArgument, "flags not 0");
    for (const auto& entry : m_sessions) {
        if (entry.second->charts > 0)
            return refuse(r, SimBusy, "a chart is being generated");
    }
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    // Sessions left open end here, as the library goes.
    Players players = std::move(m_retired);
    for (auto& entry : m_sessions) {
        Players more = takeSessionPlayers(*entry.second);
        for (auto& player : more)
            players.push_back(std::move(player));
    }
    m_sessions.clear();
    m_libraryInitialized = false;
    accept(r);
    retire(std::move(players), lock);
    return SimOk;
}

AccelHandle Simulator::initialize(int32_t flags)
{
    Lock lock(m_mutex);
    const Reply r = reply("Initialize", {"flags=" + number(flags)});
    uint32_t refused = 0;
    if (!m_libraryInitialized)
        refused = refuse(r, SimWrongOrder, "library not initialised");
    else if (flags != 0)
        refused = refuse(r, SimBadArgument, "flags not 0");
    else if (const uint32_t f = fault(r))
        refused = refuse(r, f, "scenario fault");
    if (refused)
        return nullptr;
    auto s = std::make_unique<Session>();
    s->number = ++m_sessionCount;
    AccelHandle handle = s.get();
    m_sessions[handle] = std::move(s);
    accept(r, "h=" + number(m_sessionCount));
    return handle;
}

uint32_t Simulator::setPrinter(AccelHandle h, const char* model, int64_t length)
{
    Lock lock(m_mutex);
    const Reply r = reply("SetPrinter", {handleText(h), textArgument("model", model, length)});
    Session* s = session(h);
    if (!s)
        return refuse(r, SimUnknownHandle, "unknown handle");
    if (!validText(model, length))
        return refuse(r, SimBadArgument, "model text null or its length outside 1 to 254");
    if (s->connectionOpen)
        return refuse(r, SimWrongOrder, "the printer cannot change while connected");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    s->printer.assign(model, size_t(length));
    return accept(r);
}

uint32_t Simulator::terminate(AccelHandle h, int32_t flags)
{
    Lock lock(m_mutex);
    const Reply r = reply("Terminate", {handleText(h), "flags=" + number(flags)});
    Session* s = session(h);
    if (!s)
        return refuse(r, SimUnknownHandle, "unknown handle");
    if (flags != 0)
        return refuse(r, SimBadArgument, "flags not 0");
    if (s->charts > 0)
        return refuse(r, SimBusy, "a chart is being generated");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    Players players = takeSessionPlayers(*s);
    m_sessions.erase(h);
    accept(r);
    retire(std::move(players), lock);
    return SimOk;
}

uint32_t Simulator::open(AccelHandle h, int32_t connectionCode, const char* address, int64_t length)
{
    Lock lock(m_mutex);
    const Reply r = reply("Open", {handleText(h), "code=" + number(connectionCode),
                                   textArgument("address", address, length)});
    Session* s = session(h);
    if (!s)
        return refuse(r, SimUnknownHandle, "unknown handle");
    if (!validText(address, length))
        return refuse(r, SimBadArgument, "address text null or its length outside 1 to 254");
    if (connectionCode != 0 && connectionCode != 1 && connectionCode != 4)
        return refuse(r, SimBadArgument, "connection code not 0, 1 or 4");
    if (s->printer.empty())
        return refuse(r, SimWrongOrder, "no printer set");
    if (s->connectionOpen)
        return refuse(r, SimWrongOrder, "connection already open");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    s->connectionOpen = true;
    s->connectionCode = connectionCode;
    return accept(r);
}

uint32_t Simulator::close(AccelHandle h)
{
    Lock lock(m_mutex);
    const Reply r = reply("Close", {handleText(h)});
    Session* s = session(h);
    if (!s)
        return refuse(r, SimUnknownHandle, "unknown handle");
    if (!s->connectionOpen)
        return refuse(r, SimNotConnected, "connection not open");
    if (s->charts > 0)
        return refuse(r, SimBusy, "a chart is being generated");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    s->connectionOpen = false;
    return accept(r);
}

uint32_t Simulator::getConnectionInfo(AccelHandle h, void* record)
{
    Lock lock(m_mutex);
    const Reply r = reply("GetConnectionInfo", {handleText(h), "record=" + pointerText(record)});
    Session* s = session(h);
    if (!s)
        return refuse(r, SimUnknownHandle, "unknown handle");
    if (!record)
        return refuse(r, SimBadArgument, "no record");
    if (!s->connectionOpen)
        return refuse(r, SimNotConnected, "connection not open");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    ConnectionInfoRecord info = {};
    info.mField0 = s->connectionCode;
    info.mConnectionStatus = m_scenario.connectionStatus;
    std::memcpy(record, &info, sizeof info);
    return accept(r, "status=" + number(info.mConnectionStatus));
}

uint32_t Simulator::getErrorCodes(AccelHandle h, void* record)
{
    Lock lock(m_mutex);
    const Reply r = reply("GetErrorCodes", {handleText(h), "record=" + pointerText(record)});
    Session* s = session(h);
    if (!s)
        return refuse(r, SimUnknownHandle, "unknown handle");
    if (!record)
        return refuse(r, SimBadArgument, "no record");
    if (!s->connectionOpen)
        return refuse(r, SimNotConnected, "connection not open");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    ErrorRecord errors = {};
    errors.mAccelConnectionStatus = s->errors.accelConnectionStatus;
    errors.mStatus = s->errors.status;
    errors.mErrorCode = s->errors.errorCode;
    errors.mILSErrorCode = s->errors.ilsErrorCode;
    std::strncpy(errors.mVersion, m_scenario.version.c_str(), sizeof errors.mVersion - 1);
    std::memcpy(record, &errors, sizeof errors);
    return accept(r, "codes=" + number(errors.mAccelConnectionStatus) + "," + number(errors.mStatus) + ","
                         + number(errors.mErrorCode) + "," + number(errors.mILSErrorCode));
}

// ---- documents -------------------------------------------------------------------------------

uint32_t Simulator::createDoc(AccelHandle h, int32_t* doc)
{
    Lock lock(m_mutex);
    const Reply r = reply("CreateDoc", {handleText(h), "doc=" + pointerText(doc)});
    Session* s = session(h);
    if (!s)
        return refuse(r, SimUnknownHandle, "unknown handle");
    if (!doc)
        return refuse(r, SimBadArgument, "no place for the document id");
    if (!s->connectionOpen)
        return refuse(r, SimNotConnected, "connection not open");
    if (s->lastDoc == INT32_MAX)
        return refuse(r, SimBadArgument, "document ids used up");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    *doc = ++s->lastDoc;
    s->docs[*doc];
    return accept(r, "doc=" + number(*doc));
}

uint32_t Simulator::setDocText(const char* operation, AccelHandle h, int32_t doc, const char* text, int64_t length)
{
    Lock lock(m_mutex);
    const Reply r = reply(operation, {handleText(h), "doc=" + number(doc), textArgument("text", text, length)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (!validText(text, length))
        return refuse(r, SimBadArgument, "text null or its length outside 1 to 254");
    if (d->state != DocState::Created)
        return refuse(r, SimWrongOrder, "document already started");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    return accept(r);
}

uint32_t Simulator::startDoc(AccelHandle h, int32_t doc, const void* record)
{
    Lock lock(m_mutex);
    std::string recordText = "record=null";
    const auto* rec = static_cast<const DocRecord*>(record);
    if (rec) {
        recordText = "record{doc=" + number(rec->mDocId) + ", page=" + number(rec->mPageWidth) + "x"
                     + number(rec->mPageHeight) + ", media=" + number(rec->mMediaWidth) + "x"
                     + number(rec->mMediaHeight) + ", modes=" + number(rec->mModeA) + ","
                     + number(rec->mModeB) + "," + number(rec->mModeC) + "}";
    }
    const Reply r = reply("StartDoc", {handleText(h), "doc=" + number(doc), recordText});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (!rec)
        return refuse(r, SimBadArgument, "no record");
    if (d->state != DocState::Created)
        return refuse(r, SimWrongOrder, "document already started");
    if (rec->mDocId != doc)
        return refuse(r, SimBadRecord, "record names another document");
    if (rec->mPageWidth <= 0 || rec->mPageHeight <= 0)
        return refuse(r, SimBadRecord, "page size not positive");
    if (rec->mDocNameLength < 0 || rec->mDocNameLength > MaxDocTextLength || rec->mUserNameLength < 0
        || rec->mUserNameLength > MaxDocTextLength)
        return refuse(r, SimBadRecord, "name length outside 0 to 1024");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    d->state = DocState::Started;
    return accept(r);
}

uint32_t Simulator::endDoc(AccelHandle h, int32_t doc)
{
    Lock lock(m_mutex);
    const Reply r = reply("EndDoc", {handleText(h), "doc=" + number(doc)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (d->charting)
        return refuse(r, SimBusy, "a chart is being generated");
    if (!running(d->state))
        return refuse(r, SimWrongOrder, "document not started, or ended");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    d->state = DocState::Ended;
    auto player = std::move(d->player);
    accept(r);
    retire(std::move(player), lock);
    return SimOk;
}

uint32_t Simulator::abortDoc(AccelHandle h, int32_t doc)
{
    Lock lock(m_mutex);
    const Reply r = reply("AbortDoc", {handleText(h), "doc=" + number(doc)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (d->charting)
        return refuse(r, SimBusy, "a chart is being generated");
    if (d->state == DocState::Ended || d->state == DocState::Aborted)
        return refuse(r, SimWrongOrder, "document already ended");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    d->state = DocState::Aborted;
    auto player = std::move(d->player);
    accept(r);
    retire(std::move(player), lock);
    return SimOk;
}

uint32_t Simulator::deleteDoc(AccelHandle h, int32_t doc)
{
    Lock lock(m_mutex);
    const Reply r = reply("DeleteDoc", {handleText(h), "doc=" + number(doc)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (running(d->state))
        return refuse(r, SimWrongOrder, "document still running; end or abort it first");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    s->docs.erase(doc);
    return accept(r);
}

uint32_t Simulator::printDoc(AccelHandle h, int32_t doc, AccelStatusCallback callback, void* user)
{
    Lock lock(m_mutex);
    const Reply r = reply("PrintDoc", {handleText(h), "doc=" + number(doc), "callback=" + pointerText(
                                           reinterpret_cast<const void*>(callback)),
                                       "user=" + pointerText(user)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (!callback)
        return refuse(r, SimBadArgument, "no status callback");
    if (d->state != DocState::Started)
        return refuse(r, SimWrongOrder, "document not started, or already printing");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    d->state = DocState::Printing;
    d->callback = callback;
    d->user = user;
    d->playerSerial = ++m_playerCount;
    const uint64_t serial = d->playerSerial;
    d->player = std::make_unique<StatusPlayer>(
        [this, h, doc, serial](int32_t page, const StatusStep& step) { deliverStatus(h, doc, serial, page, step); },
        m_scenario.statusDelayMs);
    return accept(r);
}

uint32_t Simulator::setPrintOption(AccelHandle h, int32_t doc, int32_t option)
{
    Lock lock(m_mutex);
    const Reply r = reply("SetPrintOption", {handleText(h), "doc=" + number(doc), "option=" + number(option)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (d->state == DocState::Ended || d->state == DocState::Aborted)
        return refuse(r, SimWrongOrder, "document already ended");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    return accept(r);
}

uint32_t Simulator::releaseJobStatus(AccelHandle h, int32_t doc)
{
    Lock lock(m_mutex);
    const Reply r = reply("ReleaseJobStatus", {handleText(h), "doc=" + number(doc)});
    Session* s = nullptr;
    uint32_t code = 0;
    if (!knownDocument(r, h, doc, &s, code))
        return code;
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    return accept(r);
}

uint32_t Simulator::isDocFinished(AccelHandle h, int32_t doc)
{
    Lock lock(m_mutex);
    const Reply r = reply("IsDocFinished", {handleText(h), "doc=" + number(doc)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return 0; // not a finished document of this session
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    const uint32_t finished = !d->player || d->player->idle() ? 1 : 0;
    m_trace.write(r.operation + "(" + r.arguments + ") = " + number(finished));
    return finished;
}

// ---- measurement -----------------------------------------------------------------------------

uint32_t Simulator::measurePage(AccelHandle h, int32_t doc, const void* dryingList, int64_t dryingCount,
                                const void* record, int64_t flags)
{
    Lock lock(m_mutex);
    const auto* rec = static_cast<const MeasurementRecord*>(record);
    std::string recordText = "record=null";
    if (rec) {
        recordText = "record{page=" + number(rec->mPageNumber) + ", patches=" + number(rec->mPatchCountX) + "x"
                     + number(rec->mPatchCountY) + ", size=" + number(rec->mPatchSizeWidth) + "x"
                     + number(rec->mPatchSizeHeight) + ", start=" + number(rec->mStartPositionX) + ","
                     + number(rec->mStartPositionY) + ", chartType=" + number(rec->mchartType) + "}";
    }
    const Reply r = reply("MeasurePage", {handleText(h), "doc=" + number(doc), "drying=" + pointerText(dryingList),
                                          "count=" + number(dryingCount), recordText, "flags=" + number(flags)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (!rec || flags != 1)
        return refuse(r, SimBadArgument, "no record, or flags not 1");
    if (dryingCount < 0 || dryingCount > MaxDryingEntries || (dryingCount > 0 && !dryingList))
        return refuse(r, SimBadArgument, "drying list does not match its count");
    if (d->state != DocState::Printing)
        return refuse(r, SimWrongOrder, "document not printing");
    const int64_t patches = int64_t(rec->mPatchCountX) * int64_t(rec->mPatchCountY);
    if (rec->mPageNumber < 1 || rec->mPatchCountX < 1 || rec->mPatchCountY < 1
        || patches > MeasurementData::MaxPatches)
        return refuse(r, SimBadRecord, "page number or patch counts out of range");
    const auto* drying = static_cast<const DryingRecord*>(dryingList);
    for (int64_t i = 0; i < dryingCount; ++i) {
        if (drying[i].mDryTime < 0 || drying[i].mPositionY < 0)
            return refuse(r, SimBadRecord, "drying entry " + number(i) + " with a negative time or position");
    }
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    PageData& page = d->pages[rec->mPageNumber];
    page.patchCount = int32_t(patches);
    page.dataCount = 0;
    d->player->enqueue(rec->mPageNumber, m_scenario.stepsForPage(rec->mPageNumber));
    return accept(r);
}

void Simulator::deliverStatus(AccelHandle h, int32_t doc, uint64_t serial, int32_t measuredPage,
                              const StatusStep& step)
{
    Lock lock(m_mutex);
    Session* s = session(h);
    Document* d = document(s, doc);
    // A document ended or aborted meanwhile hears nothing more.
    if (!d || !d->player || d->playerSerial != serial)
        return;
    const int32_t reportedPage = step.page > 0 ? step.page : measuredPage;
    JobStatusRecord& status = d->status;
    status = JobStatusRecord{};
    status.mDocId = doc;
    status.mJobStatus = step.code;
    status.mCurrentPage = reportedPage;
    status.mDataCount = step.dataCount;
    if (step.code == 0x400)
        status.mPercent400 = step.percent;
    else if (step.code == 0x410)
        status.mPercent410 = step.percent;
    else if (step.code == 0x500)
        status.mPercent500 = step.percent;
    if (step.dataCount > 0) {
        PageData& data = d->pages[reportedPage];
        data.patchCount = d->pages[measuredPage].patchCount;
        data.dataCount = step.dataCount;
    }
    if (step.setsErrors)
        s->errors = step.errors;
    const AccelStatusCallback callback = d->callback;
    void* const user = d->user;
    const std::string call = "StatusCallback(" + handleText(h) + ", doc=" + number(doc) + ", status="
                             + CallTrace::code(uint32_t(step.code)) + ", page=" + number(reportedPage)
                             + ", data=" + number(step.dataCount) + ")";
    lock.unlock();
    m_trace.write("-> " + call);
    const uint32_t answer = callback(h, doc, user);
    m_trace.write("<- StatusCallback = " + CallTrace::code(answer));
}

uint32_t Simulator::getJobStatus(AccelHandle h, int32_t doc, void* record)
{
    Lock lock(m_mutex);
    const Reply r = reply("GetJobStatus", {handleText(h), "doc=" + number(doc), "record=" + pointerText(record)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (!record)
        return refuse(r, SimBadArgument, "no record");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    std::memcpy(record, &d->status, sizeof d->status);
    return accept(r, "status=" + CallTrace::code(uint32_t(d->status.mJobStatus)) + " page="
                         + number(d->status.mCurrentPage));
}

void* Simulator::allocMeasurementData(AccelHandle h, int32_t doc, int32_t page, int32_t index, int32_t flags)
{
    Lock lock(m_mutex);
    const Reply r = reply("AllocMeasurementData", {handleText(h), "doc=" + number(doc), "page=" + number(page),
                                                   "index=" + number(index), "flags=" + number(flags)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return nullptr;
    const auto found = d->pages.find(page);
    if (flags != -1)
        refuse(r, SimBadArgument, "flags not -1");
    else if (found == d->pages.end() || index < 0 || index >= found->second.dataCount)
        refuse(r, SimBadArgument, "no such data block for the page");
    else if (const uint32_t f = fault(r))
        refuse(r, f, "scenario fault");
    else {
        auto block = std::make_unique<Block>();
        block->bytes = MeasurementData::block(page, index, found->second.patchCount);
        block->doc = doc;
        block->header.mPage = page;
        block->header.mIndex = index;
        block->header.mData = block->bytes.data();
        block->header.mLength = int32_t(block->bytes.size());
        void* const answer = &block->header;
        accept(r, "length=" + number(block->header.mLength));
        s->blocks[answer] = std::move(block);
        return answer;
    }
    return nullptr;
}

uint32_t Simulator::deallocMeasurementData(AccelHandle h, int32_t doc, void* block)
{
    Lock lock(m_mutex);
    const Reply r = reply("DeallocMeasurementData", {handleText(h), "doc=" + number(doc),
                                                     "block=" + pointerText(block)});
    Session* s = session(h);
    if (!s)
        return refuse(r, SimUnknownHandle, "unknown handle");
    // Looked up, never dereferenced: the pointer may be anything.
    const auto found = s->blocks.find(block);
    if (found == s->blocks.end() || found->second->doc != doc)
        return refuse(r, SimBadArgument, "not a block handed out for this document");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    s->blocks.erase(found);
    return accept(r);
}

// ---- raw data and labels ---------------------------------------------------------------------

uint32_t Simulator::write(AccelHandle h, int32_t doc, const char* bytes, int64_t length)
{
    Lock lock(m_mutex);
    const bool readable = bytes && length >= 1 && length <= MaxWriteLength;
    const Reply r = reply("Write", {handleText(h), "doc=" + number(doc),
                                    readable ? "bytes=" + CallTrace::text(bytes, length) : "bytes=" + pointerText(bytes),
                                    "length=" + number(length)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (!readable)
        return refuse(r, SimBadArgument, "bytes null or length outside 1 to 16 MiB");
    if (!running(d->state))
        return refuse(r, SimWrongOrder, "document not started, or ended");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    if (d->labelOpen)
        d->labelBytes += length;
    return accept(r);
}

uint32_t Simulator::setLabelOffset(AccelHandle h, int32_t doc, int32_t a, int32_t b, int32_t c)
{
    Lock lock(m_mutex);
    const Reply r = reply("SetLabelOffset", {handleText(h), "doc=" + number(doc), "a=" + number(a),
                                             "b=" + number(b), "c=" + number(c)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (a < 0 || b < 0 || c < 0)
        return refuse(r, SimBadArgument, "negative offset");
    if (!running(d->state))
        return refuse(r, SimWrongOrder, "document not started, or ended");
    if (d->labelOpen)
        return refuse(r, SimWrongOrder, "a label is already open");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    d->labelOpen = true;
    d->labelBytes = 0;
    return accept(r);
}

uint32_t Simulator::endLabel(AccelHandle h, int32_t doc, int32_t flag)
{
    Lock lock(m_mutex);
    const Reply r = reply("EndLabel", {handleText(h), "doc=" + number(doc), "flag=" + number(flag)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (flag != 1)
        return refuse(r, SimBadArgument, "flag not 1");
    if (!d->labelOpen || d->labelBytes == 0)
        return refuse(r, SimWrongOrder, "no label opened and written");
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");
    d->labelOpen = false;
    return accept(r, "label=" + number(d->labelBytes) + " bytes");
}

// ---- chart -----------------------------------------------------------------------------------

uint32_t Simulator::createChart(AccelHandle h, int32_t doc, const void* record, int32_t a, int32_t b,
                                AccelChartCallback line, AccelChartCallback begin, AccelChartCallback end,
                                void* user)
{
    Lock lock(m_mutex);
    const auto* rec = static_cast<const ChartRecord*>(record);
    std::string recordText = "record=null";
    if (rec) {
        recordText = "record{channels=" + number(rec->mChannelCount) + ", code=" + number(rec->mChannelCode)
                     + ", patches=" + number(rec->mPatchCount) + "/" + number(rec->mPatchesPerRow)
                     + ", patch=" + number(rec->mPatchWidth) + "x" + number(rec->mPatchHeight)
                     + ", chart=" + number(rec->mChartWidth) + "x" + number(rec->mChartHeight)
                     + ", dpi=" + number(rec->mResolutionX) + "x" + number(rec->mResolutionY)
                     + ", type=" + number(rec->mChartType) + "}";
    }
    const Reply r = reply("CreateChart", {handleText(h), "doc=" + number(doc), recordText,
                                          "a=" + number(a), "b=" + number(b)});
    Session* s = nullptr;
    uint32_t code = 0;
    Document* d = knownDocument(r, h, doc, &s, code);
    if (!d)
        return code;
    if (!rec || !line || !begin || !end || a != 0 || b != 0)
        return refuse(r, SimBadArgument, "record or callback missing, or a, b not 0");
    if (!running(d->state))
        return refuse(r, SimWrongOrder, "document not started, or ended");
    if (d->charting)
        return refuse(r, SimBusy, "a chart is being generated");
    ChartLayout layout;
    std::string why;
    if (!layout.fromRecord(*rec, why))
        return refuse(r, SimBadRecord, why);
    if (const uint32_t f = fault(r))
        return refuse(r, f, "scenario fault");

    d->charting = true;
    ++s->charts;
    const ChartRenderer renderer(layout, rec, m_scenario.chartBatchLines);
    const bool onCaller = m_scenario.chartOnCallerThread;
    lock.unlock();

    const ChartRenderer::Callbacks callbacks{line, begin, end, user};
    const auto trace = [this](const std::string& text) { m_trace.write(text); };
    uint32_t answer = 0;
    if (onCaller) {
        answer = renderer.run(h, doc, callbacks, trace);
    } else {
        std::thread sdkThread([&] { answer = renderer.run(h, doc, callbacks, trace); });
        sdkThread.join();
    }

    lock.lock();
    // Neither the session nor the document can go while charts > 0 and charting hold them.
    --s->charts;
    d->charting = false;
    if (answer != 0)
        return refuse(r, answer, "a callback stopped the chart");
    return accept(r, "image=" + number(layout.width()) + "x" + number(layout.height()) + " batch="
                         + number(renderer.batchLines()));
}

uint32_t Simulator::unsupported(int slot)
{
    Lock lock(m_mutex);
    const Reply r = reply("Slot", {number(slot)});
    return refuse(r, SimNotSupported, "lumetra never calls this slot");
}
