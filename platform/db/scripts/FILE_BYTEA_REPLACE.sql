-- Positional: file name, bytes, help flag. The bytes held under the name
-- before are kept, marked retired.
select lrg.b_file_bytea_replace( :c_file , :bl_file , :b_help )
