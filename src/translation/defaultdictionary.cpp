#include "defaultdictionary.h"

#include <QStringList>

#include <vector>

namespace TR {

namespace {

const char *const EmptyUnit = "_[]_";

struct Entry
{
    const char *key;
    const char *text;
};

// Texts of the program's own windows, dialogs, tray menu and report.
const Entry InterfaceTexts[] = {
    {"ok", "_[OK]_"},
    {"cancel", "_[Cancel]_"},
    {"exit", "_[Exit]_"},
    {"restore", "_[Restore]_"},
    {"minimize", "_[Minimize]_"},
    {"about", "_[About]_"},
    {"yes", "_[Yes]_"},
    {"no", "_[No]_"},
    {"note", "_[Note]_"},
    {"white", "_[White]_"},
    {"black", "_[Black]_"},
    {"measuringRange", "_[Measuring Range]_"},
    {"delete", "_[Delete]_"},
    {"edit", "_[Edit]_"},
    {"start", "_[Start]_"},
    {"attention", "_[Attention]_"},
    {"info", "_[Info]_"},
    {"version", "_[Version:]_"},
    {"versionExtended", "_[Application version:]_"},
    {"listTests", "_[List Of Tests]_"},
    {"addTask", "_[Add Task]_"},
    {"addTask_title", "_[Task Scheduler]_"},
    {"addTask_description", "_[Task description]_"},
    {"addTask_scheduledDate", "_[Start date]_"},
    {"addTask_frequency", "_[Recur every]_"},
    {"addTask_days", "_[Days]_"},
    {"executePending", "_[Execute Pending Tasks]_"},
    {"nextTaskMessage", "_[Next test must be executed on:]_ "},
    {"pendingTaskMessage", "_[There are pending tasks:]_ "},
    {"homePage_newTest", "_[Start a new test]_"},
    {"homePage_listTest", "_[Test Reports]_"},
    {"listTestPage_goTest", "_[Start Test]_"},
    {"homePage_scheduler", "_[Test scheduling]_"},
    {"description", "_[Description]_"},
    {"scheduledDatetime", "_[Scheduled Date]_"},
    {"frequency", "_[Frequency]_"},
    {"lastRun", "_[Last Run]_"},
    {"Delete", "_[Delete]_"},
    {"Edit", "_[Edit]_"},
    {"Start", "_[Start]_"},
    {"all", "_[All]_"},
    {"none", "_[None]_"},
    {"check", "_[Check]_"},
    {"status", "_[Status]_"},
    {"tester", "_[Tester]_"},
    {"date", "_[Date]_"},
    {"report", "_[Report]_"},
    {"pdf", "_[PDF]_"},
    {"confirm_deleteSession", "_[Are you sure you want to delete the selected testing session?]_"},
    {"confirm_deleteScheduler", "_[Are you sure you want to delete the selected task?]_"},
    {"scheduler_executionQueue", "_[There are tasks to be performed. What do you want to do?]_"},
    {"execute", "_[Execute]_"},
    {"ignore", "_[Ignore]_"},
    {"testInputDialog_close",
     "_[Are you sure you want to stop the test session?]_\n_[The results of the tests performed will be lost.]_"},
    {"monitor", "_[Monitor]_"},
    {"display", "_[Display: ]_"},
    {"alertfailedtest", "_[%1 errors were encountered.]_"},
    {"monitorTested", "_[Monitor Tested]_"},
    {"chooseMonitor", "_[Choose a monitor]_"},
    {"notSaved", "_[not saved]_"},
    {"saveFailed", "_[The testing session could not be saved to the file %1.]_\n"
                   "_[It is kept in a file of its own beside it and stored as soon as a save succeeds again.]_"},
    {"taskSaveFailed", "_[The task could not be saved to the file %1.]_\n_[Nothing stored before was lost.]_"},
    {"deleteFailed", "_[The deletion could not be saved to the file %1.]_\n_[Nothing was deleted.]_"},
    {"languageSaveFailed",
     "_[The language could not be saved to the file %1.]_\n_[It is used until the program ends.]_"},
    {"storeUnavailable", "_[The stored sessions and tasks in the file %1 cannot be used.]_\n"
                         "_[New sessions and tasks are not saved until this is solved.]_"},
    {"storeDamaged", "_[The file of the stored sessions and tasks was damaged.]_\n_[A copy of it was kept as %1.]_\n"
                     "_[The program goes on with what could still be read.]_"},
    {"importFailed", "_[The sessions and tasks of the settings file %1 could not be moved into the database.]_\n"
                     "_[Nothing was changed; the next start tries again.]_"},
    {"importSkipped", "_[%1 stored records could not be read and were skipped.]_\n"
                      "_[The settings file as it was is kept as %2.]_"},
    // Records that cannot be lost or quietly changed.
    {"records_recovered", "_[%1 sessions and %2 tasks that could still be read were recovered into a new file; "
                          "%3 stored rows could not be read.]_"},
    {"records_withdrawnBy", "_[Withdrawn by %1 on %2: %3]_"},
    {"records_withdrawTitle", "_[Withdraw session]_"},
    {"records_withdraw", "_[Withdraw]_"},
    {"records_withdrawExplanation", "_[A stored session is never deleted. It is withdrawn: hidden from the list, kept "
                                    "in the store, in exports and in the site database, with who withdrew it, when "
                                    "and why.]_"},
    {"records_withdrawnByLabel", "_[Withdrawn by]_"},
    {"records_withdrawReasonLabel", "_[Reason]_"},
    {"records_withinRetention", "_[The law asks that the record of this %1 is still kept.]_\n_[%2]_\n"
                                "_[Withdraw it anyway? It stays stored and in the exports, marked withdrawn.]_"},
    {"records_keptUntil", "_[It is kept until %1.]_"},
    {"records_keptWhileInUse", "_[It is kept while the display is in use, and %1 years after its next acceptance "
                               "test.]_"},
    {"records_retentionUnknown", "_[The retention periods cannot be read, so every record is kept.]_"},
    {"records_showWithdrawn", "_[Show withdrawn]_"},
    {"records_unsavedOnExit", "_[%1 testing sessions could not be saved.]_\n_[They are kept in the file %2 and stored "
                              "as soon as a save succeeds, at the latest at the next start.]_\n"
                              "_[Export them to another file as well?]_"},
    {"records_export", "_[Export]_"},
    {"records_fingerprintShort", "_[Fingerprint %1]_"},
    {"records_fingerprintWhole", "_[Fingerprint of the stored record (SHA-256): %1]_"},
    {"records_closeWithoutExport", "_[Close without export]_"},
    {"records_exported", "_[The unsaved sessions were exported to %1.]_"},
    {"records_exportFailed", "_[The unsaved sessions could not be exported to %1.]_"},
    {"sessionUnreadable", "_[The stored session cannot be read.]_"},
    {"aboutRights", "_[Copyright Lumivex developers. All rights reserved.]_"},
    {"blackwhite", "_[Black And White]_"},
    {"color", "_[Color]_"},
    {"radio", "_[Radiographic images analysis room]_"},
    {"operation", "_[Operation room]_"},
    {"company", "_[Company]_"},
    {"nameCapital", "_[Name in capital letters]_"},
    {"signature", "_[Signature]_"},
    {"ntest", "_[Number of Test]_"},
    {"inputError", "_[The entered values is incorrect]_"},
    {"reportfailedtest0", "_[Were found]_"},
    {"reportfailedtest1", "_[%1 errors]_"},
    {"reportpassedtest", "_[No errors were encountered.]_"},
    {"reportmonitortested", "_[Monitor tested]_"},
    {"luminanceResponse_title", "_[Luminance response]_"},
    {"luminanceResponse_level", "_[Driving level]_"},
    {"luminanceResponse_axisContrast", "_[Contrast per JND (%)]_"},
    {"luminanceResponse_measuredContrast", "_[Measured contrast per JND]_"},
    {"luminanceResponse_gsdfContrast", "_[GSDF contrast per JND]_"},
    {"luminanceResponse_primaryBand", "_[GSDF +/-10 %]_"},
    {"luminanceResponse_secondaryBand", "_[GSDF +/-20 %]_"},
    {"luminanceResponse_pattern", "_[Pattern]_"},
    {"luminanceResponse_measured", "_[Measured (cd/m²)]_"},
    {"luminanceResponse_target", "_[GSDF target (cd/m²)]_"},
    {"luminanceResponse_deviation", "_[Deviation]_"},
    {"luminanceResponse_largest", "_[Largest deviation: %1 %]_"},
    {"luminanceResponse_withinPrimary", "_[Within +/-10 % (primary displays)]_"},
    {"luminanceResponse_withinSecondary", "_[Within +/-20 % (secondary displays)]_"},
    {"luminanceResponse_outside", "_[Outside +/-20 %]_"},
    {"luminanceResponse_wrongCount", "_[The luminance response needs 18 readings; %1 were given.]_"},
    {"luminanceResponse_notANumber", "_[The reading of TG18-LN%1 is not a number.]_"},
    {"luminanceResponse_notPositive", "_[The reading of TG18-LN%1 is not above 0 cd/m².]_"},
    {"luminanceResponse_outsideGsdf",
     "_[The reading of TG18-LN%1 lies outside the GSDF range of 0.05 to 3993.4 cd/m².]_"},
    {"luminanceResponse_notIncreasing", "_[The reading of TG18-LN%1 is not brighter than the one before.]_"},
    {"luminanceResponse_ambientNotANumber",
     "_[The ambient luminance L_amb is not a number, so L + L_amb cannot be computed.]_"},
    {"report_header_0", "_[QUALITY ASSURANCE IN MEDICAL IMAGING DEVICES]_"},
    {"report_header_1", "_[Acceptance test for display devices]_"},
    {"report_header_2", "_[According to DIN 6868-157]_"},
    {"Six_months_test", "_[Six months test]_"},
    {"Daily_test", "_[Daily test]_"},
    {"Acceptance_test", "_[Acceptance test]_"},
    {"answerRequired", "_[This answer is required.]_"},
    {"stepCounter", "_[Step %1 of %2]_"},
    {"tg18LnStep", "_[TG18-LN %1 of %2 (driving level %3)]_"},
    {"luminanceFieldStep", "_[Field %1 of %2, %3, driving level %4]_"},
    {"position_topLeft", "_[top left]_"},
    {"position_topCentre", "_[top centre]_"},
    {"position_topRight", "_[top right]_"},
    {"position_middleLeft", "_[middle left]_"},
    {"position_centre", "_[centre]_"},
    {"position_middleRight", "_[middle right]_"},
    {"position_bottomLeft", "_[bottom left]_"},
    {"position_bottomCentre", "_[bottom centre]_"},
    {"position_bottomRight", "_[bottom right]_"},
    {"dataFolderUnusable", "_[Lumivex cannot keep its data in the folder %1.]_"},
    {"reportdamagedcount", "_[Damaged record: the number of errors is unknown.]_"},
    {"damagedCount", "_[Damaged data]_"},
    {"textLimit", "_[At most %1 characters; the rest was not taken.]_"},
    {"clockErrorMessage", "_[The last run lies in the future (was the clock set ahead?), so this task is due now:]_"},
    {"meter_failed", "_[The meter could not read: %1]_"},
    {"meter_garbage", "_[The meter's answer holds no reading, nothing was stored: %1]_"},
    {"meter_noAnswer", "_[The meter gave no answer; nothing was stored.]_"},
    {"meter_implausible", "_[The meter's value is negative or impossibly large and was not stored: %1]_"},
    {"meter_exitCode", "_[The meter program ended with code %1 without a reading.]_"},
    {"meter_notStarted", "_[The meter program %1 could not be started: %2]_"},
    {"meter_timeOut", "_[The meter did not answer within %1 s; the reading was stopped.]_"},
    {"meter_notSetUp", "_[No meter is set up.]_"},
    {"meter_sourceDescription", "_[meter, instrument %1, %2]_"},
    {"meter_title", "_[Luminance meter]_"},
    {"meter_intro",
     "_[Lumivex reads USB luminance meters through spotread of ArgyllCMS. Leave the program empty to type every "
     "value.]_"},
    {"meter_program", "_[Meter program (spotread)]_"},
    {"meter_instrument", "_[Instrument number]_"},
    {"meter_displayType", "_[Display type letter]_"},
    {"meter_settle", "_[Settling time]_"},
    {"meter_contact", "_[The meter reads in contact with the screen]_"},
    {"meter_tryReading", "_[Try a reading]_"},
    {"meter_save", "_[Save]_"},
    {"meter_badDisplayType", "_[The display type is one letter or digit, as spotread expects it.]_"},
    {"meter_notSaved", "_[The meter settings could not be written to the settings file.]_"},
    {"meter_saved", "_[The meter settings are saved.]_"},
    {"meter_reading", "_[Reading...]_"},
    {"meter_trialResult", "_[The meter read %1 cd/m².]_"},
    {"meter_measure", "_[Measure]_"},
    {"meter_measureAll", "_[Measure all]_"},
    {"meter_pause", "_[Pause]_"},
    {"meter_repeat", "_[Repeat]_"},
    {"meter_stop", "_[Stop]_"},
    {"meter_progress", "_[Reading %1 of %2]_"},
    {"meter_lastValues", "_[Last values: %1]_"},
    {"meter_timeLeft", "_[About %1 s left]_"},
    {"meter_paused", "_[Paused. Press Pause again to go on.]_"},
    {"meter_stopped", "_[Stopped. Type the remaining values or measure them one by one.]_"},
    {"meter_runFailed", "_[The reading failed twice; type the value or measure it again. %1]_"},
    {"meter_done", "_[All %1 readings are stored.]_"},
    {"meter_notAccepted", "_[The reading was not accepted; the series stopped.]_"},
    {"meter_ambientPrompt",
     "_[Switch the display under test off, then measure. If it cannot be switched off, measure on the black "
     "screen.]_"},
    {"meter_displayOff", "_[Display is off: measure]_"},
    {"meter_useBlack", "_[Measure on black]_"},
    {"meter_reportMark", "_[(meter)]_"},
    {"meter_reportNote",
     "_[%2 of %3 readings were taken by the luminance meter (%1) and are marked (meter); the others were typed.]_"},
    {"homePage_meter", "_[Luminance meter]_"},
    {"homePage_site", "_[Site]_"},
    {"site_title", "_[Every station of the site]_"},
    {"site_station", "_[Station]_"},
    {"site_maker", "_[Maker]_"},
    {"site_model", "_[Model]_"},
    {"site_serial", "_[Serial number]_"},
    {"site_lastTest", "_[Last test]_"},
    {"site_testType", "_[Test type]_"},
    {"site_result", "_[Result]_"},
    {"site_failedCount", "_[Failed]_"},
    {"site_nextDue", "_[Next due]_"},
    {"site_passed", "_[passed]_"},
    {"site_failed", "_[failed]_"},
    {"site_refresh", "_[Refresh]_"},
    {"site_loading", "_[Reading the site database ...]_"},
    {"site_summary", "_[%1 stations, %2 displays]_"},
    {"site_unreadable", "_[The site database cannot be read: %1]_"},
    {"site_waiting", "_[%1 sessions wait to be sent to the site database.]_"},
    {"site_sendFailed", "_[The last sending to the site database failed: %1]_"},
    // Trust between stations and in the site's files.
    {"trust_sentBy", "_[Sent by]_"},
    {"trust_meterTimeLimit", "_[Time limit of a reading]_"},
    {"trust_meterUnreadable",
     "_[The settings file holds values that cannot be read; the page shows the defaults instead: %1]_"},
    {"trust_folderMadeOwnerOnly", "_[Other users could write to the folder %1. Lumivex has made it yours alone.]_"},
    {"trust_folderOpenToOthers", "_[Lumivex does not keep its data in the folder %1: other users may write to it, and "
                                 "it is not yours to change.]_"},
    {"testType", "_[Test type]_"},
    {"testType_acceptance", "_[Acceptance test]_"},
    {"testType_dailyConstancy", "_[Daily constancy test]_"},
    {"testType_periodicConstancy", "_[Periodic constancy test]_"},
    {"testType_unknown", "_[Unknown (stored before test types were recorded)]_"},
    {"report_header_acceptance", "_[Acceptance test for display devices]_"},
    {"report_header_dailyConstancy", "_[Daily constancy test for display devices]_"},
    {"report_header_periodicConstancy", "_[Periodic constancy test for display devices]_"},
    {"report_header_unknown", "_[Test of display devices]_"},
    {"display_identity", "_[Display]_"},
    {"applicationCategory", "_[Application category]_"},
    {"roomClass", "_[Room class]_"},
    {"roomClass_upTo", "_[%1 (up to %2 lx)]_"},
    {"homePage_displays", "_[Displays]_"},
    {"displays_title", "_[Every display tested at this workstation]_"},
    {"displays_classify", "_[Category and room class ...]_"},
    {"displays_makeReference", "_[Make reference ...]_"},
    {"displays_classifiedOn", "_[Chosen on]_"},
    {"displays_referenceDate", "_[Reference values of]_"},
    {"displays_lastTest", "_[Last test]_"},
    {"displays_result", "_[Result]_"},
    {"displays_passed", "_[passed]_"},
    {"displays_failed", "_[failed]_"},
    {"displays_notChosen", "_[not chosen]_"},
    {"displays_noReference", "_[none]_"},
    {"displays_noAcceptance", "_[No acceptance test with readings of this display is stored.]_"},
    {"displays_chooseReference", "_[Which acceptance test gives the reference values?]_"},
    {"displays_which", "_[This screen does not tell which display it is. Which one is it?]_"},
    {"displays_another", "_[Another display]_"},
    {"displays_newDisplay", "_[A display not tested before]_"},
    {"displays_noReferenceTitle", "_[No reference values]_"},
    {"displays_offerAcceptance",
     "_[This display has no reference values yet. They are taken from a passed acceptance test.]_\n"
     "_[Run this test as the display's acceptance test?]_"},
    {"displays_asAcceptance", "_[Acceptance test]_"},
    {"displays_keepType", "_[Keep the chosen type]_"},
    {"displayDialog_title", "_[Display]_"},
    {"displayDialog_explanation",
     "_[The limits of this display's tests follow its application category and the room class of its room.]_"},
    {"display_classifiedOn", "_[Category chosen on]_"},
    {"displaySaveFailed", "_[The display could not be saved to the file %1.]_\n_[Nothing stored before was lost.]_"},
    {"limits_title", "_[Limits and verdicts]_"},
    {"limits_source", "_[Source: %1]_"},
    {"limits_version", "_[Limits table %1]_"},
    {"limits_siteFileBroken", "_[The site's limits file cannot be used; the built-in limits apply.]_"},
    {"verdict_maxLuminance", "_[L'max = Lmax + L_amb]_"},
    {"verdict_luminanceRatio", "_[r' = L'max / L'min]_"},
    {"verdict_gsdfDeviation", "_[Largest deviation from the GSDF (L + L_amb)]_"},
    {"verdict_illuminance", "_[Ambient illuminance]_"},
    {"verdict_deviation", "_[Deviation of %1 from its reference value]_"},
    {"verdict_passed", "_[passed]_"},
    {"verdict_failed", "_[failed]_"},
    {"verdict_atLeast", "_[at least %1]_"},
    {"verdict_atMost", "_[at most %1]_"},
    {"verdict_within", "_[within +/-%1]_"},
    {"verdict_notJudged", "_[not judged for this category]_"},
    {"verdict_notComputable_unanswered", "_[Not computable: the answer \"%1\" is missing]_"},
    {"verdict_notComputable_notANumber", "_[Not computable: the answer \"%1\" is not a number]_"},
    {"verdict_notComputable_notPositive", "_[Not computable: \"%1\" is not above 0]_"},
    {"verdict_notComputable_outsideGsdf", "_[Not computable: \"%1\" lies outside the GSDF range]_"},
    {"verdict_notComputable_notIncreasing", "_[Not computable: \"%1\" is not brighter than the reading before]_"},
    {"verdict_notComputable_noCategory", "_[No limit: the application category \"%1\" is not in the limits table]_"},
    {"verdict_notComputable_noRoomClass", "_[No limit: the room class \"%1\" is not in the limits table]_"},
    {"reading_notANumber", "_[The reading is not a number.]_"},
    {"reading_notPositive", "_[A luminance reading must be above 0.]_"},
    {"reading_negative", "_[The reading cannot be below 0.]_"},
    {"reading_notWhole", "_[A count must be a whole number: 0, 1, 2 and so on.]_"},
    {"reading_outOfRange",
     "_[The reading %1 lies outside the expected range of %2 to %3.]_\n_[A thousands separator may have been typed: "
     "1.000 is read as 1, and 1.234,5 as 1.2345.]_\n_[Keep this reading?]_"},
    {"reading_keep", "_[Keep]_"},
    {"reading_correct", "_[Correct]_"},
    {"verdict_minLuminance", "_[L'min = Lmin + L_amb]_"},
    {"verdict_ambientLuminance", "_[Ambient luminance L_amb]_"},
    {"verdict_lnReading", "_[TG18-LN%1 reading]_"},
    {"comparison_title", "_[Comparison with the reference values of %1 (session %2)]_"},
    {"comparison_row", "_[reference %1, measured %2, deviation %3]_"},
    {"comparison_noNumber", "_[no number]_"},
    {"comparison_notMeasured", "_[not computable: no measured value]_"},
    {"comparison_referenceNotANumber", "_[not computable: the reference value is not a number]_"},
    {"comparison_referenceNotPositive", "_[not computable: the reference value is not above 0]_"},
    {"comparison_noDate", "_[unknown date]_"},
    {"comparison_noSession", "_[unknown]_"},
    {"luminanceResponse_toleranceBand", "_[GSDF +/-%1 % (category)]_"},
    {"luminanceResponse_withinTolerance", "_[Within the application category's tolerance of +/-%1 %: passed]_"},
    {"luminanceResponse_outsideTolerance", "_[Outside the application category's tolerance of +/-%1 %: failed]_"},
    {"comparison_quantity", "_[Quantity]_"},
    {"comparison_reference", "_[Reference value]_"},
    {"comparison_measured", "_[Measured]_"},
    {"comparison_deviation", "_[Deviation]_"},
    {"comparison_verdict", "_[Verdict]_"},
    {"comparison_summary", "_[Constancy test: comparison with the reference values]_"},
    {"task_target", "_[Display and test type]_"},
    {"task_anyDisplay", "_[Any display]_"},
    {"task_anyTestType", "_[Any test type]_"},
    {"task_displayNotConnected",
     "_[The display of this task, %1, is not connected.]_\n_[Choose another screen to test, or cancel.]_"},
    {"testType_unknownShort", "_[Unknown]_"},
    // The patterns as DICOM images and sessions shown by the viewing software.
    {"dicom_patternsShownBy", "_[Patterns shown by]_"},
    {"dicom_lumivex", "_[Lumivex]_"},
    {"dicom_viewingSoftware", "_[the viewing software]_"},
    {"dicom_viewerName", "_[Name of the viewing software]_"},
    {"dicom_viewerNameMissing", "_[Name the viewing software that shows the patterns, or choose Lumivex.]_"},
    {"dicom_openImage", "_[Open image %1 of the series: %2]_"},
    {"dicom_export", "_[Export the DICOM test images]_"},
    {"dicom_exportScreen", "_[Screen under test]_"},
    {"dicom_exportBits", "_[Bits a pixel]_"},
    {"dicom_exportFolder", "_[Folder]_"},
    {"dicom_exportBrowse", "_[Choose...]_"},
    {"dicom_exportStart", "_[Export]_"},
    {"dicom_exportClose", "_[Close]_"},
    {"dicom_exportNoFolder", "_[Choose the folder to write the test images into.]_"},
    {"dicom_exportNoScreen", "_[the screen is no longer connected]_"},
    {"dicom_exportFailed", "_[The test images could not be written: %1]_"},
    {"dicom_exportDone", "_[%1 test images and their DICOMDIR were written into %2.]_"},
    // GSDF calibration
    {"calibration_title", "_[Calibrate to the GSDF]_"},
    {"calibration_calibrate", "_[Calibrate to the GSDF]_"},
    {"calibration_explanation", "_[The display's response is measured, a calibration to the GSDF is computed and loaded, and the display is measured again. Keep the calibration only when that check passes.]_"},
    {"calibration_keep", "_[Keep]_"},
    {"calibration_discard", "_[Discard]_"},
    {"calibration_close", "_[Close]_"},
    {"calibration_unloading", "_[Unloading the display's calibration ...]_"},
    {"calibration_readingAmbient", "_[Reading the ambient luminance ...]_"},
    {"calibration_readingResponse", "_[Reading level %1 of %2 (driving level %3) ...]_"},
    {"calibration_verifying", "_[Checking level %1 of %2 (driving level %3) with the calibration loaded ...]_"},
    {"calibration_loading", "_[Loading the calibration ...]_"},
    {"calibration_installing", "_[Installing the calibration ...]_"},
    {"calibration_installed", "_[The calibration is installed and kept with the display.]_"},
    {"calibration_discarded", "_[The calibration was discarded; the display's calibration is unloaded.]_"},
    {"calibration_cancelled", "_[The calibration was cancelled; the display's calibration is unloaded.]_"},
    {"calibration_readingFailed", "_[The meter could not read, also when tried again: %1]_"},
    {"calibration_notWritten", "_[The calibration file %1 could not be written: %2]_"},
    {"calibration_verified", "_[The GSDF check with the calibration loaded passed: largest deviation %1 % (limit %2 %).]_"},
    {"calibration_notVerified", "_[The GSDF check with the calibration loaded failed: largest deviation %1 % (limit %2 %). The calibration cannot be kept.]_"},
    {"calibration_notJudged", "_[The GSDF check could not be judged (%1). The calibration cannot be kept.]_"},
    {"calibration_noVerdict", "_[no verdict]_"},
    {"calibration_levelsRemain", "_[%1 of %2 levels remain distinct.]_"},
    {"calibration_unusedLevels", "_[Driving levels %1 to %2 are not used: the display gives no more light there.]_"},
    {"calibration_wrongCount", "_[The response holds %1 readings, not one for each driving level.]_"},
    {"calibration_notANumber", "_[Reading %1 of the response is no number.]_"},
    {"calibration_outsideGsdf", "_[Reading %1 of the response, with the ambient luminance, lies outside the GSDF's range of 0.05 to 3993.4 cd/m².]_"},
    {"calibration_noRise", "_[The display gets no brighter from its lowest to its highest driving level.]_"},
    {"calibration_ambientNotANumber", "_[The ambient luminance is no number.]_"},
    {"calibration_notStarted", "_[The calibration program %1 could not be started: %2]_"},
    {"calibration_timeOut", "_[The calibration program gave no answer within %1 s and was stopped.]_"},
    {"calibration_exitCode", "_[The calibration program ended with code %1.]_"},
    {"calibration_recorded", "_[The calibration is recorded.]_"},
    {"calibration_notRecorded", "_[The calibration could not be recorded: %1]_"},
    {"calibration_offer", "_[The display failed its GSDF check. Calibrate it to the GSDF now?]_"},
    {"calibration_chooseScreen", "_[Which screen shows this display?]_"},
    {"calibration_later", "_[Later]_"},
    {"calibration_before", "_[Luminance response before the calibration]_"},
    {"calibration_after", "_[Luminance response with the calibration loaded (TG18-LN)]_"},
    {"calibration_measured", "_[measured L']_"},
    {"calibration_target", "_[GSDF target]_"},
    {"calibration_luminanceAxis", "_[L' (cd/m², logarithmic)]_"},
    {"calibration_ambient", "_[Ambient luminance L_amb: %1 cd/m²]_"},
    {"calibration_keptReport", "_[Kept: installed with dispwin -I and stored with the display.]_"},
    {"calibration_notKeptReport", "_[Not kept: the display's calibration was unloaded.]_"},
    {"report_header_calibration", "_[GSDF calibration of a display device]_"},
    {"testType_calibration", "_[Calibration]_"},
    // The measurement at the screen: placing the meter, notes and answers, the summary, the reference.
    {"measure_fieldName", "_[field %1 (%2)]_"},
    {"measure_placeOnField", "_[Place the meter on field %1 (%2)]_"},
    {"measure_placeOnPatch", "_[Place the meter on the field in the middle of the screen]_"},
    {"measure_placed", "_[Meter in place: read (Space)]_"},
    {"measure_uniformityAtLevel", "_[Luminance uniformity at driving level %1]_"},
    {"measure_moreBelow", "_[More answers below - scroll down]_"},
    {"measure_meterModel", "_[Meter model]_"},
    {"measure_meterSerial", "_[Serial number]_"},
    {"measure_meterIdentity", "_[%1, serial number %2]_"},
    {"measure_summaryRejected", "_[judged as failed]_"},
    {"measure_summaryRequired", "_[%1; required: %2]_"},
    {"measure_otherMeter", "_[The reference values were read with another meter (%1) than this test (%2): the "
                           "deviations hold the difference between the two meters.]_"},
    {"measure_referenceChosen", "_[Made the reference by %1 on %2.]_"},
    {"measure_referenceChosenBecause",
     "_[Made the reference by %1 on %2, although its acceptance test failed, because: %3]_"},
    {"measure_referenceReason", "_[This acceptance test failed. Why should it become the reference?]_"},
    {"measure_reasonRequired",
     "_[A failed acceptance test becomes the reference only with a reason. The reference was not changed.]_"},
    // The test plan: the categories of DIN 6868-157, the workstation, test types and their schedule.
    {"category_mammography", "_[I Mammography]_"},
    {"category_mammographyStereotaxy", "_[II Mammographic stereotaxy]_"},
    {"category_projectionRadiography", "_[III Projection radiography (chest, skeleton, abdomen)]_"},
    {"category_fluoroscopy", "_[IV Fluoroscopy]_"},
    {"category_ct", "_[V Computed tomography]_"},
    {"category_dentalRk5", "_[VI Dental diagnosis (room class RK5)]_"},
    {"category_dentalRk6", "_[VII Dental, treatment room (RK6)]_"},
    {"category_viewing", "_[VIII Viewing]_"},
    {"plan_categoryScope",
     "_[Displays for magnetic resonance imaging are outside the scope of DIN 6868-157; the room class offers only "
     "the categories that belong to it.]_"},
    {"plan_workstation", "_[Workstation]_"},
    {"plan_thisStation", "_[This station]_"},
    {"verdict_pixelMatrix", "_[Pixel matrix of the screen]_"},
    {"verdict_workstationDeviation", "_[Deviation of L'max between the displays of the workstation]_"},
    {"verdict_notComputable_noScreen", "_[Not computable: the screen under test is no longer connected]_"},
    {"plan_dailyTest", "_[Daily constancy test]_"},
    {"plan_carriedOverTitle", "_[Operator, institution and device]_"},
    {"plan_unchangedSince",
     "_[The operator, institution and device answers are taken from the display's test of %1.]_\n_[Unchanged since "
     "%1?]_"},
    {"plan_unchanged", "_[Unchanged]_"},
    {"plan_answerAnew", "_[Answer them anew]_"},
    {"plan_unit_days", "_[Days]_"},
    {"plan_unit_workingDays", "_[working days]_"},
    {"plan_unit_weeks", "_[weeks]_"},
    {"plan_unit_months", "_[months]_"},
    {"plan_unit_years", "_[years]_"},
    {"plan_overdue", "_[Overdue]_"},
    {"plan_overdueTasks", "_[Overdue tasks:]_"},
    {"plan_daysOverdue", "_[%1 days overdue]_"},
    {"verdict_notComputable_noRecentMaxLuminance",
     "_[Not judged: the display %1 of this workstation has no L'max from a test of the last months]_"},
    // The report (report3): the built-in limits' sources, each the English text the limits table stores.
    {"limitsource_categoryTable", "_[DIN 6868-157:2014, table of application categories as a display maker's public "
                                  "summary gives it; check against the edition in force (2022-01)]_"},
    {"limitsource_categoryTableNotJudged",
     "_[DIN 6868-157:2014, table of application categories as a display maker's public summary gives it; check against "
     "the edition in force (2022-01): not judged for this category]_"},
    {"limitsource_testIntervals",
     "_[DIN 6868-157:2014 as the public circulars of the German radiation-protection authorities on test intervals "
     "give it; check against the edition in force (2022-01)]_"},
    {"limitsource_plausibleRange", "_[plausible range of the quantity, not a limit of the standard]_"},
    {"limitsource_roomClasses", "_[DIN 6868-157:2014, room classes as the public summaries of test bodies give them; "
                                "check against the edition in force (2022-01)]_"},
    {"limitsource_publicSummary", "_[DIN 6868-157:2014, from a public summary; check against the edition in force]_"},
    {"limitsource_siteSetting", "_[site setting]_"},
    {"limitsource_referenceAge",
     "_[the periodic constancy interval: an L'max older than the last periodic test no longer stands for the display "
     "(DIN 6868-157:2014 as the public circulars of the German radiation-protection authorities on test intervals give "
     "it; check against the edition in force (2022-01))]_"},
    {"limitsource_gsdfConformance", "_[site setting: the public summary of DIN 6868-157:2014 asks for GSDF conformance "
                                    "without a figure; check against the edition in force (2022-01)]_"},
    {"limitsource_tableDescription",
     "_[DIN 6868-157:2014, values from public summaries; check against the edition in force, 2022-01]_"},
    // Screens: intervals with their unit, the calibration's settings.
    {"screens_oneDay", "_[1 day]_"},
    {"screens_days", "_[%1 days]_"},
    {"screens_calibrationProgram", "_[Calibration program (dispwin)]_"},
    {"screens_calibrationLevels", "_[Driving levels measured]_"},
};

// Title and report heading of a group ("GG") or subgroup ("GG_SS"). A null
// title means the item has only a report heading; a null report means the
// report shows the title.
struct Heading
{
    const char *digits;
    const char *title;
    const char *report;
};

const Heading GroupHeadings[] = {
    {"00", "_[Operator information]_", nullptr},
    {"01", "_[Institute information]_", nullptr},
    {"02", "_[Device info]_", nullptr},
    {"03", "_[Environment Conditions]_", nullptr},
    {"04", "_[Visual tests]_", nullptr},
    {"05", "_[Visual Acceptance Tests]_", nullptr},
    {"06", "_[Luminance Tests]_", nullptr},
    {"07", "_[Image reproduction quality]_", EmptyUnit},
    {"17", nullptr, "_[Confirmation of the check]_"},
};

const Heading SubgroupHeadings[] = {
    {"01_01", "_[Institute information]_", nullptr},
    {"02_01", "_[Image reproduction device]_", nullptr},
    {"02_02", "_[Image source device]_", nullptr},
    {"02_03", "_[Installation Instructions]_", nullptr},
    {"03_01", "_[Environment Conditions]_", nullptr},
    {"03_03", "_[Ambient Class]_", nullptr},
    {"04_01", "_[Full Image Quality]_", nullptr},
    {"05_01", "_[Visual Acceptance Tests]_", nullptr},
    {"05_02", "_[Image Geometry]_", nullptr},
    {"05_03", "_[Gray Scale]_", nullptr},
    {"05_04", "_[Luminance Homogeneity]_", nullptr},
    {"05_05", "_[Pixel Errors]_", nullptr},
    {"05_06", "_[Pixel Errors]_", nullptr},
    {"06_01", "_[Luminance Tests]_", nullptr},
    {"06_03", EmptyUnit, nullptr},
    {"06_05", EmptyUnit, nullptr},
    {"06_06", EmptyUnit, nullptr},
    {"06_07", EmptyUnit, nullptr},
    {"07_01", EmptyUnit, nullptr},
};

// One content of a test. `number` is the content's last pair of digits; an
// empty number means the content key carries the test's own digits. A null
// report means the report shows the caption; a null description or report
// description means the content has no such entry.
struct ContentText
{
    const char *number;
    const char *caption;
    const char *report = nullptr;
    const char *description = nullptr;
    const char *reportDescription = nullptr;
};

struct TestText
{
    const char *digits;
    const char *title;
    std::vector<ContentText> contents;
};

const char *const PixelTypeC =
    "_[Type C: are there any abnormal subpixel that cannot be referred to Type A or Type B (e.g. missing parts of a "
    "subpixel, a flashing subpixel)?]_";
const char *const PixelTypeD =
    "_[Type D: are there any cluster of two or more abnormal subpixels within a block of 5 x 5 pixels?]_";
const char *const CandelaPerSquareMetre = "_[cd/m²]_";

// Every luminance level test measures one value and shows no text of its own
// in the report.
const ContentText LuminanceReading = {"00", "_[Luminance (cd/m²)]_", EmptyUnit, EmptyUnit, EmptyUnit};

const std::vector<TestText> &testTexts()
{
    static const std::vector<TestText> texts = {
        {"00_00_00", "_[Operator]_", {{"00", "_[Operator]_"}}},
        {"01_01_00",
         "_[Institute information]_",
         {{"00", "_[Institute]_"},
          {"01", "_[Department]_"},
          {"02", "_[Supervisor]_"},
          {"03", "_[Location]_"},
          {"04", "_[Location description]_"}}},
        {"02_01_00",
         "_[Image reproduction device]_",
         {{"00", "_[Manifacturer]_"}, {"01", "_[Model/Type]_"}, {"02", "_[Matrix]_"}, {"03", "_[Serial Number]_"}}},
        {"02_02_00",
         "_[Image source device]_",
         {{"00", "_[Builder]_"},
          {"01", "_[Serial number]_"},
          {"02", "_[Graphic card]_"},
          {"03", "_[Quality assurance software]_"},
          {"04", "_[Application Software]_"}}},
        {"02_03_00",
         "_[Installation Instructions]_",
         {{"00", "_[Have installation, mounting and setting instructions been followed?]_"},
          {"01", "_[Is the display installed in accordance with the manufacturer's instructions?]_"},
          {"02", "_[Has the display been warmed up for the period specified by the manufacturer (e. g. 30 minutes)?]_"},
          {"03", "_[Are there no visible disturbing reflections on the display?]_"},
          {"04", "_[A pixel on the imaging device corresponds to one pixel on the imaging reproduction device?]_"},
          {"05", "_[Is it possible to perform the test on the whole monitor surface?]_"}}},
        {"03_01_00",
         "_[Ambient Class]_",
         {{"00", "_[Methods]_"},
          {"01", "_[Body regions]_"},
          {"02", "_[Measurement of perceived power of light in lx]_"},
          {"03", "_[Ambient class]_"}}},
        {"04_01_00_00",
         "_[Visual Tests]_",
         {{"", "_[Are the high-contrast grids with pairs of lines, placed in the center and in the four corners, "
               "visible?]_"}}},
        {"04_01_00_01", "_[Visual Tests]_", {{"", "_[Are the 5% and 95% fields visible?]_"}}},
        {"04_01_00_02",
         "_[Visual Tests]_",
         {{"", "_[Is the 'QUALITY CONTROL' string fully visible on the white and gray background?]_"}}},
        {"04_01_00_03",
         "_[Visual Tests]_",
         {{"", "_[Is at least the 'QUALITY CON' string visible on the black background?]_"}}},
        {"04_01_00_05",
         "_[Visual Tests]_",
         {{"", "_[Are lines of the grid visible? Are borders of the grid visible and centered?]_"}}},
        {"04_01_00_07",
         "_[Visual Tests]_",
         {{"", "_[Are the vertical gray scale ramps displayed smoothly, evenly and continuosly?]_"}}},
        {"05_01_00", "_[Visual Acceptance Tests]_", {}},
        {"05_01_00_01",
         "_[Visual Tests]_",
         {{"", "_[Are the four corners with low contrast within the luminance-surface elements visible?]_"}}},
        {"05_01_00_02",
         "_[Visual Tests]_",
         {{"", "_[Are the black and white transitions correctly visible in the top correctly visible?]_"}}},
        {"05_01_00_03",
         "_[Visual Tests]_",
         {{"", "_[Are all the 16 elements of the luminance surface visible and distinguishable?]_"}}},
        {"05_01_00_04",
         "_[Visual Tests]_",
         {{"", "_[Are the low-contrast grids with pairs of lines, placed in the center and in the four corners, "
               "visible?]_"}}},
        {"05_02_00",
         "_[Image Geometry]_",
         {{"00", "_[Is the image not displaced and not cut?]_"},
          {"01", "_[Is the entire image visible?]_"},
          {"02", "_[Do the fields of the grid appear squarish?]_"}}},
        {"05_03_00",
         "_[Gray Scale]_",
         {{"00", "_[Is at least one horizontal contour line in the vertical bars on or between the long markers "
                 "visible?]_"}}},
        {"05_04_00",
         "_[Luminance Homogeneity]_",
         {{"00", "_[Is the test pattern free of noticeable luminance non-uniformities from the center to the edges?]_"},
          {"01", "_[Is the test pattern free of color non-uniformities?]_"}}},
        {"05_05_00",
         "_[Pixel Errors]_",
         {{"00", "_[Type B: are there any subpixel that always remain dark?]_"},
          {"01", PixelTypeC},
          {"02", PixelTypeD}}},
        {"05_05_01",
         "_[Pixel Errors]_",
         {{"00", "_[Type A: a subpixel (part of a grayscale pixel or a part of the basic colors of a color pixel) that "
                 "always remains bright?]_"},
          {"01", PixelTypeC},
          {"02", PixelTypeD}}},
        {"05_06_00",
         "_[Pixel Errors]_",
         {{"00", "_[Pixel Errors A]_", nullptr, nullptr, "_[Number of pixels always on]_"},
          {"01", "_[Pixel Errors B]_", nullptr, nullptr, "_[Number of pixels always off]_"},
          {"02", "_[Pixel Errors C]_", nullptr, nullptr,
           "_[Number of pixels with anomalities that cannot be referred to case A or B]_"},
          {"03", "_[Pixel Errors D]_", nullptr, nullptr, "_[Cluster of errors of the previous kind]_"}}},
        {"06_01_00",
         "_[Luminance Measurament Device]_",
         {{"00", "_[Manifacturer]_"},
          {"01", "_[Serial number]_"},
          {"02", "_[Does your measuring device correspond to at least Class B according to DIN 5032-7?]_"}}},
        {"06_01_01", "_[Device setup date]_", {{"00", "_[Is the device calibrated until the current date?]_"}}},
        {"06_01_02", "_[Screen Size]_", {{"02", "_[Screen Size (inches)]_", EmptyUnit, nullptr, "_[inches]_"}}},
        {"06_02_00", "_[Luminance Tests]_", {LuminanceReading}},
        {"06_05_00",
         EmptyUnit,
         {{"00", "_[Max DDL 26]_", EmptyUnit, nullptr, CandelaPerSquareMetre},
          {"01", "_[Min DDL 26]_", EmptyUnit, nullptr, CandelaPerSquareMetre},
          {"02", "_[Max DDL 204]_", EmptyUnit, nullptr, CandelaPerSquareMetre},
          {"03", "_[Min DDL 204]_", EmptyUnit, nullptr, CandelaPerSquareMetre}}},
        {"06_05_01",
         EmptyUnit,
         {{"00", "_[Homogeneity of the image reproduction device (DLL 26)]_", EmptyUnit},
          {"01", "_[Homogeneity of the image reproduction device (DLL 204)]_", EmptyUnit}}},
        {"06_06_00",
         EmptyUnit,
         {{"00",
           "_[Please switch off your display and measure the reflected light on the screen from a distance of about "
           "15 cm. Then turn your display back on and enter the result.]_",
           "_[Ambient luminance measured with screen turned off]_", nullptr, CandelaPerSquareMetre}}},
        {"06_07_00",
         EmptyUnit,
         {{"00", "_[Max Luminance]_", EmptyUnit, nullptr, CandelaPerSquareMetre},
          {"01", "_[Min Luminance]_", EmptyUnit, nullptr, CandelaPerSquareMetre}}},
        {"06_07_01", EmptyUnit, {{"00", "_[Maximum luminance ratio]_", EmptyUnit}}},
        {"07_01_00",
         EmptyUnit,
         {{"00", "_[Does the quality of the image reproduction statisfy the requirements?]_", EmptyUnit}}},
    };
    return texts;
}

// The luminance level tests after the first: levels 01 to 17 of subgroup 02
// and 00 to 17 of subgroup 03, all with an empty title.
QStringList luminanceLevelTests()
{
    QStringList digits;
    for (int level = 1; level <= 17; ++level)
        digits << QStringLiteral("06_02_%1").arg(level, 2, 10, QLatin1Char('0'));
    for (int level = 0; level <= 17; ++level)
        digits << QStringLiteral("06_03_%1").arg(level, 2, 10, QLatin1Char('0'));
    return digits;
}

class DictionaryBuilder
{
public:
    // The source file is UTF-8: units such as "cd/m²" are written as they are printed.
    void add(const QString &key, const char *text) { m_dictionary.insert(key, QString::fromUtf8(text)); }

    void addHeading(const QString &kind, const Heading &heading)
    {
        const QString digits = QLatin1String(heading.digits);
        if (heading.title)
            add(QStringLiteral("title_%1_%2").arg(kind, digits), heading.title);
        add(QStringLiteral("report_%1_%2").arg(kind, digits), heading.report ? heading.report : heading.title);
    }

    void addTest(const QString &testDigits, const char *title, const std::vector<ContentText> &contents)
    {
        add(QStringLiteral("title_test_") + testDigits, title);
        for (const ContentText &content : contents) {
            const QString number = QLatin1String(content.number);
            const QString digits = number.isEmpty() ? testDigits : testDigits + QLatin1Char('_') + number;
            add(QStringLiteral("content_test_") + digits, content.caption);
            add(QStringLiteral("report_test_") + digits, content.report ? content.report : content.caption);
            if (content.description)
                add(QStringLiteral("description_content_test_") + digits, content.description);
            if (content.reportDescription)
                add(QStringLiteral("reportdescription_content_") + digits, content.reportDescription);
        }
    }

    QMap<QString, QString> dictionary() const { return m_dictionary; }

private:
    QMap<QString, QString> m_dictionary;
};

} // namespace

QMap<QString, QString> defaultDictionary()
{
    DictionaryBuilder builder;
    for (const Entry &entry : InterfaceTexts)
        builder.add(QLatin1String(entry.key), entry.text);
    for (const Heading &heading : GroupHeadings)
        builder.addHeading(QStringLiteral("group"), heading);
    for (const Heading &heading : SubgroupHeadings)
        builder.addHeading(QStringLiteral("subgroup"), heading);
    for (const TestText &test : testTexts())
        builder.addTest(QLatin1String(test.digits), test.title, test.contents);
    const QStringList levelTests = luminanceLevelTests();
    for (const QString &digits : levelTests)
        builder.addTest(digits, EmptyUnit, {LuminanceReading});
    return builder.dictionary();
}

} // namespace TR
