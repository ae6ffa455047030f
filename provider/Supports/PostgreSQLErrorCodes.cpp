// The error codes of the PostgreSQL band, one per SQLSTATE of the server.
//
// A code is 20000 + 100 * class + position: the class is the SQLSTATE class's
// place in the server's list of classes (00 is 0, 01 is 1, 02 is 2, 03 is 3,
// 08 is 4 ... XX is 42), the position the state's place within its class (0 for
// the class's own "...000" state). The table is frozen: codes never change.
// Generated from the server's list of error codes (aliases left out).
#include "provider/Supports/PostgreSQLError.hpp"

#include <algorithm>
#include <iterator>

namespace Dizezida::Zozuvoru::Supports {
namespace {

struct StateCode {
    char state[6];
    int code;
};

// Sorted by SQLSTATE.
constexpr StateCode k_state_codes[] = {
    {"00000", 20000}, // successful_completion
    {"01000", 20100}, // warning
    {"01003", 20103}, // null_value_eliminated_in_set_function
    {"01004", 20106}, // string_data_right_truncation
    {"01006", 20105}, // privilege_not_revoked
    {"01007", 20104}, // privilege_not_granted
    {"01008", 20102}, // implicit_zero_bit_padding
    {"0100C", 20101}, // dynamic_result_sets_returned
    {"01P01", 20107}, // deprecated_feature
    {"02000", 20200}, // no_data
    {"02001", 20201}, // no_additional_dynamic_result_sets_returned
    {"03000", 20300}, // sql_statement_not_yet_complete
    {"08000", 20400}, // connection_exception
    {"08001", 20403}, // sqlclient_unable_to_establish_sqlconnection
    {"08003", 20401}, // connection_does_not_exist
    {"08004", 20404}, // sqlserver_rejected_establishment_of_sqlconnection
    {"08006", 20402}, // connection_failure
    {"08007", 20405}, // transaction_resolution_unknown
    {"08P01", 20406}, // protocol_violation
    {"09000", 20500}, // triggered_action_exception
    {"0A000", 20600}, // feature_not_supported
    {"0B000", 20700}, // invalid_transaction_initiation
    {"0F000", 20800}, // locator_exception
    {"0F001", 20801}, // invalid locator
    {"0L000", 20900}, // invalid_grantor
    {"0LP01", 20901}, // invalid_grant_operation
    {"0P000", 21000}, // invalid role
    {"0Z000", 21100}, // diagnostics_exception
    {"0Z002", 21101}, // stacked_diagnostics_accessed_without_active_handler
    {"20000", 21200}, // case_not_found
    {"21000", 21300}, // cardinality_violation
    {"22000", 21400}, // data_exception
    {"22001", 21438}, // string_data_right_truncation
    {"22002", 21434}, // null_value_no_indicator_parameter
    {"22003", 21435}, // numeric_value_out_of_range
    {"22004", 21433}, // null_value_not_allowed
    {"22005", 21407}, // error_in_assignment
    {"22007", 21417}, // invalid_datetime_format
    {"22008", 21404}, // datetime_field_overflow
    {"22009", 21430}, // invalid_time_zone_displacement_value
    {"2200B", 21408}, // escape_character_conflict
    {"2200C", 21431}, // invalid_use_of_escape_character
    {"2200D", 21419}, // invalid_escape_octet
    {"2200F", 21442}, // zero_length_character_string
    {"2200G", 21432}, // most_specific_type_mismatch
    {"2200H", 21436}, // sequence_generator_limit_exceeded
    {"2200L", 21448}, // not_an_xml_document
    {"2200M", 21449}, // invalid_xml_document
    {"2200N", 21450}, // invalid_xml_content
    {"2200S", 21451}, // invalid_xml_comment
    {"2200T", 21452}, // invalid_xml_processing_instruction
    {"22010", 21422}, // invalid_indicator_parameter_value
    {"22011", 21439}, // substring_error
    {"22012", 21406}, // division_by_zero
    {"22013", 21424}, // invalid_preceding_or_following_size
    {"22014", 21412}, // invalid_argument_for_ntile_function
    {"22015", 21410}, // interval_field_overflow
    {"22016", 21413}, // invalid_argument_for_nth_value_function
    {"22018", 21416}, // invalid_character_value_for_cast
    {"22019", 21418}, // invalid_escape_character
    {"2201B", 21425}, // invalid_regular_expression
    {"2201E", 21411}, // invalid_argument_for_logarithm
    {"2201F", 21414}, // invalid_argument_for_power_function
    {"2201G", 21415}, // invalid_argument_for_width_bucket_function
    {"2201W", 21426}, // invalid_row_count_in_limit_clause
    {"2201X", 21427}, // invalid_row_count_in_result_offset_clause
    {"22021", 21403}, // character_not_in_repertoire
    {"22022", 21409}, // indicator_overflow
    {"22023", 21423}, // invalid_parameter_value
    {"22024", 21441}, // unterminated_c_string
    {"22025", 21420}, // invalid_escape_sequence
    {"22026", 21437}, // string_data_length_mismatch
    {"22027", 21440}, // trim_error
    {"2202E", 21402}, // array_subscript_error
    {"2202G", 21429}, // invalid_tablesample_repeat
    {"2202H", 21428}, // invalid_tablesample_argument
    {"22030", 21453}, // duplicate_json_object_key_value
    {"22031", 21454}, // invalid_argument_for_sql_json_datetime_function
    {"22032", 21455}, // invalid_json_text
    {"22033", 21456}, // invalid_sql_json_subscript
    {"22034", 21457}, // more_than_one_sql_json_item
    {"22035", 21458}, // no_sql_json_item
    {"22036", 21459}, // non_numeric_sql_json_item
    {"22037", 21460}, // non_unique_keys_in_a_json_object
    {"22038", 21461}, // singleton_sql_json_item_required
    {"22039", 21462}, // sql_json_array_not_found
    {"2203A", 21463}, // sql_json_member_not_found
    {"2203B", 21464}, // sql_json_number_not_found
    {"2203C", 21465}, // sql_json_object_not_found
    {"2203D", 21466}, // too_many_json_array_elements
    {"2203E", 21467}, // too_many_json_object_members
    {"2203F", 21468}, // sql_json_scalar_required
    {"2203G", 21469}, // sql_json_item_cannot_be_cast_to_target_type
    {"22P01", 21443}, // floating_point_exception
    {"22P02", 21444}, // invalid_text_representation
    {"22P03", 21445}, // invalid_binary_representation
    {"22P04", 21446}, // bad_copy_file_format
    {"22P05", 21447}, // untranslatable_character
    {"22P06", 21421}, // nonstandard_use_of_escape_character
    {"23000", 21500}, // integrity_constraint_violation
    {"23001", 21501}, // restrict_violation
    {"23502", 21502}, // not_null_violation
    {"23503", 21503}, // foreign_key_violation
    {"23505", 21504}, // unique_violation
    {"23514", 21505}, // check_violation
    {"23P01", 21506}, // exclusion_violation
    {"24000", 21600}, // invalid_cursor_state
    {"25000", 21700}, // invalid_transaction_state
    {"25001", 21701}, // active_sql_transaction
    {"25002", 21702}, // branch_transaction_already_active
    {"25003", 21704}, // inappropriate_access_mode_for_branch_transaction
    {"25004", 21705}, // inappropriate_isolation_level_for_branch_transaction
    {"25005", 21706}, // no_active_sql_transaction_for_branch_transaction
    {"25006", 21707}, // read_only_sql_transaction
    {"25007", 21708}, // schema_and_data_statement_mixing_not_supported
    {"25008", 21703}, // held_cursor_requires_same_isolation_level
    {"25P01", 21709}, // no_active_sql_transaction
    {"25P02", 21710}, // in_failed_sql_transaction
    {"25P03", 21711}, // idle_in_transaction_session_timeout
    {"26000", 21800}, // invalid_sql_statement_name
    {"27000", 21900}, // triggered_data_change_violation
    {"28000", 22000}, // invalid authorization
    {"28P01", 22001}, // invalid_password
    {"2B000", 22100}, // dependent_privilege_descriptors_still_exist
    {"2BP01", 22101}, // dependent_objects_still_exist
    {"2D000", 22200}, // invalid_transaction_termination
    {"2F000", 22300}, // sql_routine_exception
    {"2F002", 22302}, // modifying_sql_data_not_permitted
    {"2F003", 22303}, // prohibited_sql_statement_attempted
    {"2F004", 22304}, // reading_sql_data_not_permitted
    {"2F005", 22301}, // function_executed_no_return_statement
    {"34000", 22400}, // invalid_cursor_name
    {"38000", 22500}, // external_routine_exception
    {"38001", 22501}, // containing_sql_not_permitted
    {"38002", 22502}, // modifying_sql_data_not_permitted
    {"38003", 22503}, // prohibited_sql_statement_attempted
    {"38004", 22504}, // reading_sql_data_not_permitted
    {"39000", 22600}, // external_routine_invocation_exception
    {"39001", 22601}, // invalid_sqlstate_returned
    {"39004", 22602}, // null_value_not_allowed
    {"39P01", 22603}, // trigger_protocol_violated
    {"39P02", 22604}, // srf_protocol_violated
    {"39P03", 22605}, // event_trigger_protocol_violated
    {"3B000", 22700}, // savepoint_exception
    {"3B001", 22701}, // invalid savepoint
    {"3D000", 22800}, // invalid_catalog_name
    {"3F000", 22900}, // invalid_schema_name
    {"40000", 23000}, // transaction_rollback
    {"40001", 23002}, // serialization_failure
    {"40002", 23001}, // transaction_integrity_constraint_violation
    {"40003", 23003}, // statement_completion_unknown
    {"40P01", 23004}, // deadlock_detected
    {"42000", 23100}, // syntax_error_or_access_rule_violation
    {"42501", 23102}, // insufficient_privilege
    {"42601", 23101}, // syntax_error
    {"42602", 23108}, // invalid_name
    {"42611", 23136}, // invalid_column_definition
    {"42622", 23109}, // name_too_long
    {"42701", 23122}, // duplicate_column
    {"42702", 23131}, // ambiguous_column
    {"42703", 23117}, // undefined_column
    {"42704", 23121}, // undefined_object
    {"42710", 23130}, // duplicate_object
    {"42712", 23129}, // duplicate_alias
    {"42723", 23125}, // duplicate_function
    {"42725", 23132}, // ambiguous_function
    {"42803", 23104}, // grouping_error
    {"42804", 23111}, // datatype_mismatch
    {"42809", 23115}, // wrong_object_type
    {"42830", 23107}, // invalid_foreign_key
    {"42846", 23103}, // cannot_coerce
    {"42883", 23118}, // undefined_function
    {"428C9", 23116}, // generated_always
    {"42939", 23110}, // reserved_name
    {"42P01", 23119}, // undefined_table
    {"42P02", 23120}, // undefined_parameter
    {"42P03", 23123}, // duplicate_cursor
    {"42P04", 23124}, // duplicate_database
    {"42P05", 23126}, // duplicate_prepared_statement
    {"42P06", 23127}, // duplicate_schema
    {"42P07", 23128}, // duplicate_table
    {"42P08", 23133}, // ambiguous_parameter
    {"42P09", 23134}, // ambiguous_alias
    {"42P10", 23135}, // invalid_column_reference
    {"42P11", 23137}, // invalid_cursor_definition
    {"42P12", 23138}, // invalid_database_definition
    {"42P13", 23139}, // invalid_function_definition
    {"42P14", 23140}, // invalid_prepared_statement_definition
    {"42P15", 23141}, // invalid_schema_definition
    {"42P16", 23142}, // invalid_table_definition
    {"42P17", 23143}, // invalid_object_definition
    {"42P18", 23112}, // indeterminate_datatype
    {"42P19", 23106}, // invalid_recursion
    {"42P20", 23105}, // windowing_error
    {"42P21", 23113}, // collation_mismatch
    {"42P22", 23114}, // indeterminate_collation
    {"44000", 23200}, // with_check_option_violation
    {"53000", 23300}, // insufficient_resources
    {"53100", 23301}, // disk_full
    {"53200", 23302}, // out_of_memory
    {"53300", 23303}, // too_many_connections
    {"53400", 23304}, // configuration_limit_exceeded
    {"54000", 23400}, // program_limit_exceeded
    {"54001", 23401}, // statement_too_complex
    {"54011", 23402}, // too_many_columns
    {"54023", 23403}, // too_many_arguments
    {"55000", 23500}, // object_not_in_prerequisite_state
    {"55006", 23501}, // object_in_use
    {"55P02", 23502}, // cant_change_runtime_param
    {"55P03", 23503}, // lock_not_available
    {"55P04", 23504}, // unsafe_new_enum_value_usage
    {"57000", 23600}, // operator_intervention
    {"57014", 23601}, // query_canceled
    {"57P01", 23602}, // admin_shutdown
    {"57P02", 23603}, // crash_shutdown
    {"57P03", 23604}, // cannot_connect_now
    {"57P04", 23605}, // database_dropped
    {"57P05", 23606}, // idle_session_timeout
    {"58000", 23700}, // system_error
    {"58030", 23701}, // io_error
    {"58P01", 23702}, // undefined_file
    {"58P02", 23703}, // duplicate_file
    {"72000", 23800}, // snapshot_too_old
    {"F0000", 23900}, // config_file_error
    {"F0001", 23901}, // lock_file_exists
    {"HV000", 24000}, // fdw_error
    {"HV001", 24018}, // fdw_out_of_memory
    {"HV002", 24002}, // fdw_dynamic_parameter_value_needed
    {"HV004", 24008}, // fdw_invalid_data_type
    {"HV005", 24001}, // fdw_column_name_not_found
    {"HV006", 24009}, // fdw_invalid_data_type_descriptors
    {"HV007", 24006}, // fdw_invalid_column_name
    {"HV008", 24007}, // fdw_invalid_column_number
    {"HV009", 24016}, // fdw_invalid_use_of_null_pointer
    {"HV00A", 24015}, // fdw_invalid_string_format
    {"HV00B", 24011}, // fdw_invalid_handle
    {"HV00C", 24012}, // fdw_invalid_option_index
    {"HV00D", 24013}, // fdw_invalid_option_name
    {"HV00J", 24020}, // fdw_option_name_not_found
    {"HV00K", 24021}, // fdw_reply_handle
    {"HV00L", 24024}, // fdw_unable_to_create_execution
    {"HV00M", 24025}, // fdw_unable_to_create_reply
    {"HV00N", 24026}, // fdw_unable_to_establish_connection
    {"HV00P", 24019}, // fdw_no_schemas
    {"HV00Q", 24022}, // fdw_schema_not_found
    {"HV00R", 24023}, // fdw_table_not_found
    {"HV010", 24003}, // fdw_function_sequence_error
    {"HV014", 24017}, // fdw_too_many_handles
    {"HV021", 24004}, // fdw_inconsistent_descriptor_information
    {"HV024", 24005}, // fdw_invalid_attribute_value
    {"HV090", 24014}, // fdw_invalid_string_length_or_buffer_length
    {"HV091", 24010}, // fdw_invalid_descriptor_field_identifier
    {"P0000", 24100}, // plpgsql_error
    {"P0001", 24101}, // raise_exception
    {"P0002", 24102}, // no_data_found
    {"P0003", 24103}, // too_many_rows
    {"P0004", 24104}, // assert_failure
    {"XX000", 24200}, // internal_error
    {"XX001", 24201}, // data_corrupted
    {"XX002", 24202}, // index_corrupted
};

constexpr bool strictly_sorted() {
    for (std::size_t i = 1; i < std::size(k_state_codes); ++i)
        if (!(std::string_view(k_state_codes[i - 1].state) <
              std::string_view(k_state_codes[i].state)))
            return false;
    return true;
}
static_assert(strictly_sorted(), "SQLSTATE table must be sorted, one row per state");

} // namespace

int sqlstate_code(std::string_view sqlstate) {
    if (sqlstate.size() != 5)
        return k_code_unknown;
    const auto* end = std::end(k_state_codes);
    const auto* found = std::lower_bound(std::begin(k_state_codes), end, sqlstate,
                                         [](const StateCode& entry, std::string_view key) {
                                             return std::string_view(entry.state) < key;
                                         });
    if (found != end && std::string_view(found->state) == sqlstate)
        return found->code;
    // A state this table does not know: the code of its class's own state.
    const std::string_view class_state = sqlstate.substr(0, 2);
    for (const StateCode& entry : k_state_codes)
        if (std::string_view(entry.state).substr(0, 2) == class_state &&
            std::string_view(entry.state).substr(2) == "000")
            return entry.code;
    return k_code_unknown;
}

} // namespace Dizezida::Zozuvoru::Supports
