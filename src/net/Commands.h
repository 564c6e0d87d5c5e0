// Every command number and option bit of the messenger protocol.
//
// A command word carries the command in its low byte (GET_MODE) and option
// bits above it (GET_OPT). Numbers shared with the plain IP Messenger protocol
// carry that protocol's values; where Kwel has its own name for one of them
// the plain name stands in the comment. Option bits are only meaningful with
// the commands they belong to: several share a value (0x100 is "away" in a
// presence announcement and "ask for a receipt" in a message).
#pragma once

#include <cstdint>

constexpr uint32_t GET_MODE(uint32_t commandWord)
{
    return commandWord & 0xffU;
}
constexpr uint32_t GET_OPT(uint32_t commandWord)
{
    return commandWord & 0xffffff00U;
}

// ---- protocol constants --------------------------------------------------
inline constexpr uint32_t PROTOCOL_VERSION = 1; // IPMSG_VERSION
inline constexpr uint16_t DEFAULT_PORT = 2425; // IPMSG_DEFAULT_PORT

// ---- presence ------------------------------------------------------------
inline constexpr uint32_t CMD_NO_OPERATION = 0x00; // IPMSG_NOOPERATION
inline constexpr uint32_t CMD_ANNOUNCE_ENTRY = 0x01; // IPMSG_BR_ENTRY
inline constexpr uint32_t CMD_ANNOUNCE_EXIT = 0x02; // IPMSG_BR_EXIT
inline constexpr uint32_t CMD_ANSWER_ENTRY = 0x03; // IPMSG_ANSENTRY
inline constexpr uint32_t CMD_ANNOUNCE_STATUS = 0x04; // IPMSG_BR_ABSENCE
// A hidden user's list of the peers that may still see him.
inline constexpr uint32_t CMD_EXT_ANNOUNCE = 0x75;

// ---- messages ------------------------------------------------------------
inline constexpr uint32_t CMD_SEND_MESSAGE = 0x20; // IPMSG_SENDMSG
inline constexpr uint32_t CMD_MESSAGE_RECEIVED = 0x21; // IPMSG_RECVMSG (receipt)
inline constexpr uint32_t CMD_MESSAGE_OPENED = 0x30; // IPMSG_READMSG (read notice)
inline constexpr uint32_t CMD_DELETE_MESSAGE = 0x31; // IPMSG_DELMSG
inline constexpr uint32_t CMD_ANSWER_READ = 0x32; // IPMSG_ANSREADMSG
inline constexpr uint32_t CMD_GET_INFO = 0x40; // IPMSG_GETINFO
inline constexpr uint32_t CMD_SEND_INFO = 0x41; // IPMSG_SENDINFO
inline constexpr uint32_t CMD_GET_ABSENCE_INFO = 0x50; // IPMSG_GETABSENCEINFO
inline constexpr uint32_t CMD_SEND_ABSENCE_INFO = 0x51; // IPMSG_SENDABSENCEINFO

// ---- files (TCP requests and the release of an offer) --------------------
inline constexpr uint32_t CMD_GET_FILE_DATA = 0x60; // IPMSG_GETFILEDATA
inline constexpr uint32_t CMD_RELEASE_FILES = 0x61; // IPMSG_RELEASEFILES
inline constexpr uint32_t CMD_GET_FOLDER = 0x62; // IPMSG_GETDIRFILES

// ---- encryption ----------------------------------------------------------
inline constexpr uint32_t CMD_GET_PUBLIC_KEY = 0x72; // IPMSG_GETPUBKEY
inline constexpr uint32_t CMD_PUBLIC_KEY = 0x73; // IPMSG_ANSPUBKEY

// ---- peer details, typing, pictures of the contact list ------------------
inline constexpr uint32_t CMD_GET_SIGNATURE = 0x77;
inline constexpr uint32_t CMD_TYPING = 0x79; // with OPT_DRAWING: drawing on the doodle board
inline constexpr uint32_t CMD_TYPING_STOPPED = 0x7a;
inline constexpr uint32_t CMD_GET_PICTURE = 0x7b; // the peer's custom head picture
inline constexpr uint32_t CMD_HEAD_PICTURE_DATA = 0x7c; // received like CMD_PICTURE_DATA
inline constexpr uint32_t CMD_GET_CUSTOM_PICTURE = 0x7d; // the peer's custom picture
inline constexpr uint32_t CMD_CUSTOM_PICTURE_DATA = 0x7e; // received like CMD_PICTURE_DATA

// ---- shared files --------------------------------------------------------
inline constexpr uint32_t CMD_GET_SHARE_LIST = 0x90;
inline constexpr uint32_t CMD_SHARE_LIST = 0x91;
inline constexpr uint32_t CMD_GET_SHARE_LIST_PASSWORD = 0x92;
inline constexpr uint32_t CMD_SHARE_DOWNLOAD = 0x93;
inline constexpr uint32_t CMD_GET_ALL_SHARES = 0x94;
inline constexpr uint32_t CMD_ALL_SHARES = 0x95;

// ---- voice chat (answers 0xa1..0xa8) -------------------------------------
// The answers between 0xa1 and 0xa8 other than the cancel are Kwel's choice
// (docs/remote-requests.md); 0xa5..0xa8 all end a running voice chat.
inline constexpr uint32_t CMD_VOICE_REQUEST = 0xa0;
inline constexpr uint32_t CMD_VOICE_ANSWER_FIRST = 0xa1;
inline constexpr uint32_t CMD_VOICE_ASKING = 0xa1; // the request reached the peer, whose user is asked
inline constexpr uint32_t CMD_VOICE_ACCEPTED = 0xa2;
inline constexpr uint32_t CMD_VOICE_REFUSED = 0xa3;
inline constexpr uint32_t CMD_VOICE_CANCELLED = 0xa4;
inline constexpr uint32_t CMD_VOICE_ENDED = 0xa5;
inline constexpr uint32_t CMD_VOICE_ANSWER_LAST = 0xa8;

// ---- remote assistance and control (answers 0xb1..0xbc) ------------------
// The answers other than the two cancels are Kwel's choice, as with voice;
// 0xba..0xbc all end a running assistance.
inline constexpr uint32_t CMD_ASSIST_REQUEST = 0xb0;
inline constexpr uint32_t CMD_ASSIST_ANSWER_FIRST = 0xb1;
inline constexpr uint32_t CMD_ASSIST_ASKING = 0xb1;
inline constexpr uint32_t CMD_ASSIST_ACCEPTED = 0xb2;
inline constexpr uint32_t CMD_ASSIST_REFUSED = 0xb3;
inline constexpr uint32_t CMD_ASSIST_CANCELLED = 0xb4;
inline constexpr uint32_t CMD_CONTROL_REQUEST = 0xb5;
inline constexpr uint32_t CMD_CONTROL_ASKING = 0xb6;
inline constexpr uint32_t CMD_CONTROL_ACCEPTED = 0xb7;
inline constexpr uint32_t CMD_CONTROL_REFUSED = 0xb8;
inline constexpr uint32_t CMD_CONTROL_CANCELLED = 0xb9;
inline constexpr uint32_t CMD_ASSIST_ENDED = 0xba;
inline constexpr uint32_t CMD_ASSIST_ANSWER_LAST = 0xbc;

// ---- pictures in messages, program requests, groups ----------------------
inline constexpr uint32_t CMD_PICTURE_DATA = 0xc0; // sent as 0xc0 | OPT_FILE_ATTACH, chunk in the extension part
inline constexpr uint32_t CMD_PICTURE_ACK = 0xc1;
inline constexpr uint32_t CMD_GET_PROGRAM = 0xc3;
inline constexpr uint32_t CMD_GET_GDIPLUS = 0xc4;
inline constexpr uint32_t CMD_GROUP_JOINED = 0xc5;

// ---- screen shake and the chat window's probe ----------------------------
inline constexpr uint32_t CMD_SCREEN_SHAKE = 0xd1;
inline constexpr uint32_t CMD_SHAKE_ACK = 0xd2;
inline constexpr uint32_t CMD_CHAT_PROBE = 0xd3; // sent by a chat window's timer; answered by the dispatcher

// ---- option bits of presence packets -------------------------------------
inline constexpr uint32_t OPT_ABSENCE = 0x100; // IPMSG_ABSENCEOPT (away)
inline constexpr uint32_t OPT_SERVER = 0x200; // IPMSG_SERVEROPT
inline constexpr uint32_t OPT_DIALUP = 0x10000; // IPMSG_DIALUPOPT

// ---- option bits of every command ----------------------------------------
inline constexpr uint32_t OPT_SEND_CHECK = 0x100; // IPMSG_SENDCHECKOPT (ask for a receipt)
inline constexpr uint32_t OPT_SECRET = 0x200; // IPMSG_SECRETOPT (sealed)
inline constexpr uint32_t OPT_BROADCAST = 0x400; // IPMSG_BROADCASTOPT
inline constexpr uint32_t OPT_MULTICAST = 0x800; // IPMSG_MULTICASTOPT (multi-send)
inline constexpr uint32_t OPT_NO_POPUP = 0x1000; // IPMSG_NOPOPUPOPT
inline constexpr uint32_t OPT_AUTO_RETURN = 0x2000; // IPMSG_AUTORETOPT
inline constexpr uint32_t OPT_RETRY = 0x4000; // IPMSG_RETRYOPT
inline constexpr uint32_t OPT_PASSWORD = 0x8000; // IPMSG_PASSWORDOPT
inline constexpr uint32_t OPT_NO_LOG = 0x20000; // IPMSG_NOLOGOPT
inline constexpr uint32_t OPT_NEW_MULTI = 0x40000; // IPMSG_NEWMUTIOPT
inline constexpr uint32_t OPT_NO_ADD_LIST = 0x80000; // IPMSG_NOADDLISTOPT
inline constexpr uint32_t OPT_READ_CHECK = 0x100000; // IPMSG_READCHECKOPT (ask for a read notice)
// IPMSG_FILEATTACHOPT: a file list, or binary data (picture chunks) whose
// length is given, travels as the extension part.
inline constexpr uint32_t OPT_FILE_ATTACH = 0x200000;
inline constexpr uint32_t OPT_ENCRYPT = 0x400000; // IPMSG_ENCRYPTOPT (body encrypted / peer can decrypt)

// ---- Kwel's own option bits ----------------------------------------------
inline constexpr uint32_t OPT_DRAWING = 0x1000000; // with CMD_TYPING: the peer draws
inline constexpr uint32_t OPT_PLAIN_PEERS_ONLY = 0x2000000; // consumed at once by Kwel peers
inline constexpr uint32_t OPT_VISIBLE_WHEN_HIDDEN = 0x4000000; // in CMD_ANSWER_ENTRY: list the hidden sender
inline constexpr uint32_t OPT_AUTO_SEND = 0x8000000; // message sent by the program, not typed

// ---- encryption capability bits (the body of CMD_GET_PUBLIC_KEY) ---------
inline constexpr uint32_t CAP_RSA_512 = 0x1; // IPMSG_RSA_512
inline constexpr uint32_t CAP_RSA_1024 = 0x2; // IPMSG_RSA_1024
inline constexpr uint32_t CAP_RC2_40 = 0x1000; // IPMSG_RC2_40
inline constexpr uint32_t CAP_BLOWFISH_128 = 0x20000; // IPMSG_BLOWFISH_128

// ---- file list and folder stream attributes ------------------------------
inline constexpr uint32_t FILE_ATTR_REGULAR = 1; // IPMSG_FILE_REGULAR
inline constexpr uint32_t FILE_ATTR_FOLDER = 2; // IPMSG_FILE_DIR
inline constexpr uint32_t FILE_ATTR_PARENT = 3; // IPMSG_FILE_RETPARENT (leave the folder)
inline constexpr uint32_t FILE_EXT_MTIME = 0x14; // IPMSG_FILE_MTIME (extension key of a folder entry)
