#ifndef QUORVANE_OCI7_H
#define QUORVANE_OCI7_H
/* The version 7 call interface of the Oracle client library: its data areas
 * and its 16 entry points, as exported by libociw32.so. Clients load the
 * library by name and resolve the entry points; the prototypes here give the
 * pointer types. Every function returns 0 on success and otherwise the
 * negated Oracle error number, which is also left in the data area's rc. */

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char ub1;
typedef signed char sb1;
typedef unsigned short ub2;
typedef signed short sb2;
typedef unsigned int ub4;
typedef signed int sb4;
typedef int sword;
typedef unsigned char text;
typedef void dvoid;

/* Size of a logon or cursor data area on this platform (64 on 32-bit). */
#define CDA_SIZE 88
/* Host data area size callers pass to olog. */
#define HDA_SIZE 512

struct cda_def {
    sb2 v2_rc;       /* version 2 compatible return code */
    ub2 ft;          /* SQL function code of the parsed statement */
    ub4 rpc;         /* rows processed (cumulative while fetching) */
    ub2 peo;         /* parse error offset (0-based) */
    ub1 fc;          /* call-interface function code */
    ub1 rcs1;
    ub2 rc;          /* Oracle error number of the last call, 0 = OK */
    ub1 wrn;         /* warning flags */
    ub1 rcs2;
    sword rcs3;
    struct {
        struct {
            ub4 rcs4;
            ub2 rcs5;
            ub1 rcs6;
        } rd;
        ub4 rcs7;
        ub2 rcs8;
    } rid;           /* ROWID of the last row touched */
    sword ose;       /* operating system error */
    ub1 chk;
    dvoid* rcsp;     /* the library's own state for this area */
    ub1 rcs9[CDA_SIZE - 56];
};
typedef struct cda_def Cda_Def;
typedef struct cda_def Lda_Def;

/* opinit modes */
#define OCI_EV_DEF 0
#define OCI_EV_TSF 1
/* olog modes */
#define OCI_LM_DEF 0
#define OCI_LM_NBL 1

/* External data types used by the product */
#define SQLT_CHR 1   /* VARCHAR2 */
#define SQLT_NUM 2   /* NUMBER */
#define SQLT_INT 3   /* native integer */
#define SQLT_FLT 4   /* native float/double */
#define SQLT_STR 5   /* NUL-terminated string */
#define SQLT_LNG 8   /* LONG */
#define SQLT_RID 11  /* ROWID */
#define SQLT_DAT 12  /* 7-byte DATE */
#define SQLT_BIN 23  /* RAW */
#define SQLT_LBI 24  /* LONG RAW */
#define SQLT_AFC 96  /* CHAR */

/* SQL function codes left in ft by oparse */
#define FT_INSERT 3
#define FT_SELECT 4
#define FT_UPDATE 5
#define FT_DELETE 9

/* Oracle error numbers the client tests for */
#define OCI_VAR_NOT_IN_LIST 1007
#define OCI_NO_DATA_FOUND 1403
#define OCI_NULL_FETCHED 1405
#define OCI_TRUNCATED 1406
#define OCI_BLOCKED (-3123)
#define OCI_CONTINUE (-24200)

sword opinit(ub4 mode);
sword olog(Lda_Def* lda, ub1* hda, text* uid, sword uidl, text* pswd, sword pswdl,
           text* conn, sword connl, ub4 mode);
sword ologof(Lda_Def* lda);
sword oopen(Cda_Def* cursor, Lda_Def* lda, text* dbn, sword dbnl, sword arsize,
            text* uid, sword uidl);
sword oparse(Cda_Def* cursor, text* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg);
sword oclose(Cda_Def* cursor);
sword ocom(Lda_Def* lda);
sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl,
             sb4* dsize, sb2* prec, sb2* scale, sb2* nullok);
sword oerhms(Lda_Def* lda, sb2 rcode, text* buf, sword bufsiz);
sword obndrv(Cda_Def* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl,
             sword ftype, sword scale, sb2* indp, text* fmt, sword fmtl, sword fmtt);
sword oexec(Cda_Def* cursor);
sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword scale,
             sb2* indp, text* fmt, sword fmtl, sword fmtt, ub2* rlen, ub2* rcode);
sword ofen(Cda_Def* cursor, sword nrows);
sword onbtst(Lda_Def* lda);
sword onbset(Lda_Def* lda);
sword obreak(Lda_Def* lda);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
static_assert(sizeof(void*) != 8 || sizeof(Cda_Def) == CDA_SIZE, "data area layout");
#endif

#endif
