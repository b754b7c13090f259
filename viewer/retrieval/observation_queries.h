// The six observation queries, one per period type. Each sends one statement
// covering the request's whole period for one station through a ServerLink of
// its own (to the request's `server`), under the wait cursor, and appends the
// reply's rows to the row array.
#pragma once

#include "viewer/retrieval/query_request.h"
#include "viewer/retrieval/row_array.h"

// Each query writes its rows from `nextRow` on (growing `rows` as needed),
// advances `nextRow` by one per row and returns the number of rows written. A
// failed exchange (status other than 200, or "ERROR:" in the reply) shows
// "通信中にエラーが発生しました。" (caption "Tarvex", no owner window) after the
// wait cursor is off and returns 0, writing nothing. Exceptions of the
// internet layer pass out.
int QueryDaily(const QueryRequest& request, const char* station, int& nextRow, RowArray& rows);
int QueryYearRoundPentad(const QueryRequest& request, const char* station, int& nextRow,
                         RowArray& rows);
int QueryCalendarPentad(const QueryRequest& request, const char* station, int& nextRow,
                        RowArray& rows);
int QueryTenDay(const QueryRequest& request, const char* station, int& nextRow, RowArray& rows);
int QueryMonthly(const QueryRequest& request, const char* station, int& nextRow, RowArray& rows);
int QueryYearly(const QueryRequest& request, const char* station, int& nextRow, RowArray& rows);
