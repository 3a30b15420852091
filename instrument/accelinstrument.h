#ifndef LUMETRA_ACCELINSTRUMENT_H
#define LUMETRA_ACCELINSTRUMENT_H

#include <kelvora/devproperty.h>
#include "lumetra_export.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class accelInstrumentPrivate;
class accelMeasParams_st;

/**
 * @brief The driver of a printer's inline spectrophotometer over the maker's ACCEL SDK.
 *
 * The instrument loads the SDK library from a folder, binds its function table,
 * initialises it for one printer, checks that the spectrophotometer answers and
 * opens print documents. On an open document it either renders the measurement
 * chart of its job as a TIFF file (GenerateTiff()) or prints and measures the
 * job's pages (StartPage()).
 *
 * **Making a chart:** setParams() with a job whose page 0 names the target,
 * setTiffPath(), InitInstrument(), checkAccelConnession(), AccelStart() with
 * #ChartDocument, GenerateTiff(); #endCreateTiff arrives once the SDK has ended
 * the chart; then cleanupACCEL(). One instrument makes one chart: a second
 * GenerateTiff() is refused.
 *
 * **Measuring pages:** setParams(), InitInstrument(), checkAccelConnession(),
 * AccelStart() with a #DocumentMode and where the data files go,
 * accelPrintDoc(), StartPage() for each page and EndPrint(). The results arrive
 * as #measureProgr, #MeasureDataSignal and #pageEndSignal. A page's end deletes
 * the print document while the connection stays open: the next page needs
 * AccelStart() and accelPrintDoc() again. To measure after a chart, call
 * cleanupACCEL() and bring the instrument up again from InitInstrument().
 *
 * **Threads:** the SDK calls back on threads of its own. #addLogLine and
 * #MeasureDataSignal may be emitted on those threads (connect with a direct or
 * thread-safe receiver); #pageEndSignal, #measureProgr and #endCreateTiff are
 * emitted by the event loop of the thread that owns the instrument, which must
 * therefore run one. errorString() may be read from any thread.
 *
 * **Ownership:** the SDK keeps pointers into the instrument's records while a
 * document is open, so the instrument must outlive every SDK activity: call
 * cleanupACCEL() before destroying it. The instrument is neither copied nor moved.
 *
 * **Lengths** are whole millimetres on their way to the SDK; the parameter
 * objects take and give them in a unit code (Measure::Millimetre and the other
 * Measure::Unit codes).
 */
class LUMETRA_EXPORT accelInstrument : public QObject, public DevProperty
{
    Q_OBJECT

public:
    /// Answers the driver gives in place of the SDK's.
    enum Answer : unsigned {
        /// The chart begin and line callbacks' answer that stops the chart.
        ChartRefused = 0x800002,
        /// PrintLabel()'s and AccelWrite()'s answer for a label that cannot be sent.
        LabelFailed = 0x800001,
        /// The answer for a page that cannot be set up or whose data cannot be fetched.
        PageFailed = 0x800001,
        /// The status callback's answer to a null handle or user, or a negative document.
        BadCallbackArguments = 0x20002
    };

    /// How a print document ends its pages; AccelStart()'s first argument.
    enum DocumentMode : int {
        /// A page ends as soon as its measurement data has arrived.
        PageEndsWithItsData = 0,
        /// A page ends with the printer's later end of the page, after its data.
        PageEndsWithThePrinter = 1,
        /// The mode of a chart document; measured pages end as in #PageEndsWithThePrinter.
        ChartDocument = 2
    };

    /// An instrument for the SDK in @p sdkFolder (the folder that holds
    /// `libACCEL.so` or `ACCEL.dll`). Nothing is loaded yet.
    explicit accelInstrument(const QString& sdkFolder);
    /// Releases nothing of the SDK: call cleanupACCEL() first.
    ~accelInstrument() override;

    accelInstrument(const accelInstrument&) = delete;
    accelInstrument& operator=(const accelInstrument&) = delete;

    /**
     * Loads and binds the SDK and initialises it for one printer.
     * @param connectionType 3 TCP, 4 USB, 6 AUTO, 7 USB when @p address starts with "usb".
     * @param address the printer's address.
     * @param model the printer's model name, as the SDK knows it.
     * @return false, with the reason logged and in errorString(), when any step fails.
     */
    bool InitInstrument(int connectionType, const QString& address, const QString& model);
    /// Opens a connection, asks whether the spectrophotometer answers, reads the
    /// chart type from the SDK's version and closes the connection again.
    bool checkAccelConnession();
    /**
     * Opens the connection and a print document for the job's paper.
     * The measurement data files are `<dataFolder>/meas_<dataFilePrefix>_<page>.tmp`,
     * the page counted from 0.
     * @param mode a #DocumentMode.
     * @param dataFilePrefix names the data files.
     * @param dataFolder holds the data files.
     */
    bool AccelStart(int mode, const QString& dataFilePrefix, const QString& dataFolder);
    /// Registers the status callback through which the SDK reports the pages.
    bool accelPrintDoc();
    /// Ends and deletes the open document.
    void doEndDoc();
    /// Aborts and deletes the open document; always 0.
    unsigned Accel_Abort();
    /// Sends raw bytes to the open document; the SDK's answer, #LabelFailed without an SDK.
    unsigned AccelWrite(const char* data, qint64 length);
    /// Prints a label on the open document; 0 or the first failing answer.
    unsigned PrintLabel(const QByteArray& label);
    /// Marks the end of printing, so that the SDK's idle statuses ask whether the
    /// document has finished. The argument is not used.
    void EndPrint(int);
    /// Aborts the document, closes and terminates the SDK and unloads it. Safe to
    /// call at any time and more than once.
    void cleanupACCEL();

    /**
     * Renders the measurement chart of page 0 of the job into the TIFF file set
     * with setTiffPath(): builds the colour table from the page's target, has the
     * SDK lay the chart out and render it, and saves the file. On true the file is
     * whole under its final name; #endCreateTiff follows through the event loop.
     * On false no file is left under that name.
     */
    bool GenerateTiff();

    /// Starts measuring page @p page (0-based index in the job): fills the
    /// measurement record and drying list and hands them to the SDK.
    bool StartPage(int page);
    /// Fills the measurement record of a page without starting it.
    void fillMeasurementStruct(int page);
    /// Fills the artificial drying list of a page without starting it.
    void fillArtificialDryingStruct(int page);
    /// Asks, on the instrument's thread, whether the document has finished.
    void doPageEnd();
    /// Emits #measureProgr on the instrument's thread.
    void doPageMeasureProgress(const QString& text, int type);
    /// @name Drying strip
    ///@{

    /// Where the drying strip starts, in whole millimetres; 0 unless a host sets it.
    void setDryingOffset(int millimetres);
    int getDryingOffset() const;
    ///@}

    /// Whether the last checkAccelConnession() found the spectrophotometer.
    bool getIsConnected() const;
    /// Whether the SDK is loaded and initialised.
    bool isInitialized() const;
    /// The chart type the SDK's version implies: 1 for ILS20EP printers, 2 otherwise.
    int getChartType() const;
    /// The TIFF file GenerateTiff() writes.
    void setTiffPath(const QString& path);
    /// Emits @p text as a log line.
    void writeToLog(const QString& text);
    /**
     * Why the last failure happened, for a host to show its operator: the most
     * specific reason known, such as the loader's message, the SDK operation that
     * answered an error, the target reader's verdict or the reason of the TIFF or
     * data file. Empty until something fails; a later success does not clear it.
     * AccelWrite() hands back the SDK's answer only.
     */
    QString errorString() const;

    /// Reads the job from its property map (the form accelMeasParams_st::toMap writes).
    void setParams(const PropertyMap& map);
    /// Copies the job: later changes to @p params do not reach the instrument.
    void setParams(accelMeasParams_st& params);
    /// The instrument's own copy of the job.
    const accelMeasParams_st& params() const;

    /// @name The property object (DevProperty)
    ///@{

    /// The instrument's connection state as a read-only record ("accelIsConnected")
    /// in the full form; nothing is read back from a map.
    void toMap(PropertyMap& map, eSaveMode mode) override;
    void fromMap(const PropertyMap& map) override;
    bool checkDataCoherence(const PropertyMap& in, PropertyMap& out) override;
    QString getClass() const override;
    QString getLabel() const override;
    QString getToolTips() const override;
    ///@}

signals:
    /// A log line; may be emitted on an SDK thread. @p debuglevel is always 0.
    void addLogLine(const QString& logLine, int debuglevel = 0);
    /// A page has ended, well (@p res true) or not; its document is deleted.
    void pageEndSignal(bool res);
    /// Progress of the current page as the SDK reports it, such as "50 %";
    /// @p progrtype is 1 for the SDK's status 0x500 and 2 for 0x400 and 0x410.
    void measureProgr(const QString& progrStr, int progrtype);
    /// The path of a page's data file, or an empty path when it could not be
    /// written; emitted on the SDK's thread.
    void MeasureDataSignal(const QString& file);
    /// The SDK has ended the chart.
    void endCreateTiff();

private slots:
    void pageEndSlot(bool resp, int page);
    void pageMeasureProgrSlot(const QString& progrStr, int progrtype);
    void doPageEndSlot();

private:
    friend class accelInstrumentPrivate;
    const std::unique_ptr<accelInstrumentPrivate> d_ptr;
};

#endif
