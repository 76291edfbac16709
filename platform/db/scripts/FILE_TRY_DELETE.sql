-- Positional: file id. Drops the record when no owner links it any more.
select lrg.v_file_try_delete( sys.current_user_id() , :id )
